#ifndef COMPRESSEDFILE_H
#define COMPRESSEDFILE_H

#include "File.h"

// A read-only file that expands files packed with the system's LZ compression (the format
// of compress.exe); an unpacked file reads as it is.
class LIBAPI CompressedFile : public File
{
public:
    // share 1 lets others open the file too; any other value adds nothing.
    // Throws Exception "Fehler beim Öffnen der Datei: <name>." when the file cannot be opened.
    CompressedFile(String const& name, unsigned int modus, unsigned int share);
    CompressedFile(String const& name, unsigned int modus);
    virtual ~CompressedFile();

    // The expanded size; the read position stays where it was.
    virtual unsigned long getSize() override;
    virtual unsigned long read(char* buffer, unsigned long count) override;

private:
    // An LZ handle cannot be duplicated, so a CompressedFile cannot be copied.
    CompressedFile(CompressedFile const&) = delete;
    CompressedFile& operator=(CompressedFile const&) = delete;

    void create(String const& name, unsigned int modus, unsigned int share);
    static unsigned short translateModus(unsigned int modus);

    int handle;
};

#endif

#ifndef WIN32FILE_H
#define WIN32FILE_H

#include <windows.h>

#include "File.h"
#include "Handle.h"

// A disk (or device) file over a system file handle. "Modus" is the creation disposition:
// 1 CREATE_NEW, 2 CREATE_ALWAYS, 3 OPEN_EXISTING, 4 OPEN_ALWAYS, 5 TRUNCATE_EXISTING; any
// other value makes the open fail. "share" takes FILE_SHARE_READ (1) and FILE_SHARE_WRITE (2).
class LIBAPI Win32File : public File
{
public:
    // Throws Win32Exception "Fehler beim Öffnen der Datei: <name>." when the file cannot be opened.
    Win32File(String const& name, unsigned int modus, unsigned int share, bool readWrite);
    Win32File(String const& name, unsigned int modus, unsigned int share);
    Win32File(String const& name, unsigned int modus);
    // A copy holds a duplicate of the handle: both objects share one open file and its position.
    Win32File(Win32File const& other);
    Win32File& operator=(Win32File const& other);
    virtual ~Win32File();

    virtual unsigned long getSize() override;
    virtual unsigned long read(char* buffer, unsigned long count) override;
    // Returns the number of bytes written, 0 on failure.
    unsigned long write(char* buffer, unsigned long count);
    // Writes the characters without the terminating NUL.
    unsigned long write(String text);
    void goToEnd();
    void flush();

private:
    void create(String const& name, unsigned int modus, unsigned int share, bool readWrite);
    static unsigned int translateModus(unsigned int modus);
    static HANDLE duplicate(HANDLE source);

    Handle handle;
};

#endif

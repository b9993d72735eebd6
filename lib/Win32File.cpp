#include "Win32File.h"

#include "Win32Exception.h"

Win32File::Win32File(String const& name, unsigned int modus, unsigned int share, bool readWrite)
    : File(name, modus)
{
    create(name, modus, share, readWrite);
}

Win32File::Win32File(String const& name, unsigned int modus, unsigned int share) : File(name, modus)
{
    create(name, modus, share, true);
}

Win32File::Win32File(String const& name, unsigned int modus) : File(name, modus)
{
    create(name, modus, 0, true);
}

Win32File::Win32File(Win32File const& other) : File(other), handle(duplicate(other.handle.get()))
{
}

Win32File& Win32File::operator=(Win32File const& other)
{
    if (this != &other) {
        handle.reset(duplicate(other.handle.get()));
    }
    return *this;
}

Win32File::~Win32File()
{
}

void Win32File::create(String const& name, unsigned int modus, unsigned int share, bool readWrite)
{
    DWORD access = readWrite ? (GENERIC_READ | GENERIC_WRITE) : GENERIC_READ;
    handle.reset(CreateFileA(name.getChars(), access, share, nullptr, translateModus(modus),
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.isValid()) {
        DWORD error = GetLastError();
        String text = String("Fehler beim Öffnen der Datei: ") + name + ".";
        throw Win32Exception(text, error);
    }
}

unsigned int Win32File::translateModus(unsigned int modus)
{
    switch (modus) {
    case 1: return CREATE_NEW;
    case 2: return CREATE_ALWAYS;
    case 3: return OPEN_EXISTING;
    case 4: return OPEN_ALWAYS;
    case 5: return TRUNCATE_EXISTING;
    default: return 0; // not a disposition: CreateFile refuses it
    }
}

HANDLE Win32File::duplicate(HANDLE source)
{
    HANDLE process = GetCurrentProcess();
    HANDLE copy = INVALID_HANDLE_VALUE;
    if (!DuplicateHandle(process, source, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        DWORD error = GetLastError();
        throw Win32Exception("Fehler beim Kopieren des Dateihandles.", error);
    }
    return copy;
}

unsigned long Win32File::getSize()
{
    return GetFileSize(handle.get(), nullptr);
}

unsigned long Win32File::read(char* buffer, unsigned long count)
{
    DWORD done = 0;
    if (!ReadFile(handle.get(), buffer, count, &done, nullptr))
        return 0;
    return done;
}

unsigned long Win32File::write(char* buffer, unsigned long count)
{
    DWORD done = 0;
    if (!WriteFile(handle.get(), buffer, count, &done, nullptr))
        return 0;
    return done;
}

unsigned long Win32File::write(String text)
{
    return write(text.getChars(), text.length());
}

void Win32File::goToEnd()
{
    // With a high part of 0 the low part counts as unsigned, so sizes from 2 to 4 GiB work too.
    LONG high = 0;
    SetFilePointer(handle.get(), static_cast<LONG>(getSize()), &high, FILE_BEGIN);
}

void Win32File::flush()
{
    FlushFileBuffers(handle.get());
}

#include "Logger.h"

#include <windows.h>

#include <cstdio>

#include "Win32File.h"

Logger::Logger(String name) : file(nullptr)
{
    String path = String("c:\\") + name + ".log";
    file = new Win32File(path, 4, FILE_SHARE_READ, true);
    file->goToEnd();
}

Logger::Logger(Logger const& other) : file(new Win32File(*other.file))
{
}

Logger& Logger::operator=(Logger const& other)
{
    if (this != &other) {
        Win32File* copy = new Win32File(*other.file);
        delete file;
        file = copy;
    }
    return *this;
}

Logger::~Logger()
{
    delete file;
}

void Logger::log(String text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    snprintf(stamp, sizeof stamp, "%04d.%02d.%02d %02d:%02d:%02d %03d ", now.wYear, now.wMonth,
             now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    file->write(String(stamp) + text + "\r\n");
    file->flush();
}

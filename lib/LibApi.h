#ifndef LIBAPI_H
#define LIBAPI_H

// Every public member of the library's classes is exported by name from the program image,
// so other programs can link against it through the import library the build writes. The
// library and everything linked into one image with it define MRTK_EXPORTS (lib/CMakeLists.txt);
// a program that uses the import library does not, and so imports the classes.
#ifdef MRTK_EXPORTS
#define LIBAPI __declspec(dllexport)
#else
#define LIBAPI __declspec(dllimport)
#endif

#endif

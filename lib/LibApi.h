#ifndef LIBAPI_H
#define LIBAPI_H

// Every public member of the library's classes is exported by name from the program image,
// so other programs can link against it through the import library the build writes.
#define LIBAPI __declspec(dllexport)

#endif

#include "app/Version.h"

// The build passes the project's version; a build without it still has one.
#ifndef QVX_VERSION_MAJOR
#define QVX_VERSION_MAJOR 0
#define QVX_VERSION_MINOR 0
#define QVX_VERSION_PATCH 0
#define QVX_VERSION_TWEAK 0
#endif

#define QVX_TEXT(x) #x
#define QVX_NUMBER(x) QVX_TEXT(x)

const char* ToolVersion()
{
    return QVX_NUMBER(QVX_VERSION_MAJOR) "." QVX_NUMBER(QVX_VERSION_MINOR) "." QVX_NUMBER(
        QVX_VERSION_PATCH) "." QVX_NUMBER(QVX_VERSION_TWEAK);
}

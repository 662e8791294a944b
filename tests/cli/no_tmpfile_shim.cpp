// Preloaded into kvarlen-cli by a test: a temporary folder where nothing can be created.
#include <cerrno>
#include <cstdio>

extern "C" {
FILE* tmpfile() {
    errno = EACCES;
    return nullptr;
}
FILE* tmpfile64() {
    errno = EACCES;
    return nullptr;
}
}

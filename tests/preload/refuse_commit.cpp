// Preloaded into the program by the report test: every rename or link onto a name holding
// "refuse-commit" fails, as a disk turned read-only between two renames would make it fail, so
// that the report's putting back of the outputs already in place can be seen. Only <cerrno>,
// <cstring> and <dlfcn.h>: the C headers would declare these functions themselves.
#include <cerrno>
#include <cstring>
#include <dlfcn.h>

namespace {

bool refused(const char* path) {
    return path != nullptr && std::strstr(path, "refuse-commit") != nullptr;
}

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int rename(const char* from, const char* to) noexcept {
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    if (refused(to)) {
        errno = EACCES;
        return -1;
    }
    return real(from, to);
}

int renameat(int from_dir, const char* from, int to_dir, const char* to) noexcept {
    static const auto real = next<int (*)(int, const char*, int, const char*)>("renameat");
    if (refused(to)) {
        errno = EACCES;
        return -1;
    }
    return real(from_dir, from, to_dir, to);
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) noexcept {
    static const auto real =
        next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (refused(to)) {
        errno = EACCES;
        return -1;
    }
    return real(from_dir, from, to_dir, to, flags);
}

int linkat(int from_dir, const char* from, int to_dir, const char* to, int flags) noexcept {
    static const auto real = next<int (*)(int, const char*, int, const char*, int)>("linkat");
    if (refused(to)) {
        errno = EACCES;
        return -1;
    }
    return real(from_dir, from, to_dir, to, flags);
}
}

#include "platform/sharedlibraries.h"

#include <dlfcn.h>

namespace skywell
{

bool SharedLibraries::open(std::initializer_list<const char *> fileNames, QString &reason)
{
    for (const char *name : fileNames) {
        void *handle = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            reason = QStringLiteral("the library %1 could not be loaded: %2")
                         .arg(QString::fromLatin1(name), QString::fromLocal8Bit(::dlerror()));
            return false;
        }
        m_handles.push_back(handle);
    }
    return true;
}

void *SharedLibraries::symbol(const char *name) const
{
    for (void *handle : m_handles) {
        if (void *found = ::dlsym(handle, name))
            return found;
    }
    return nullptr;
}

} // namespace skywell

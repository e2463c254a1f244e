#pragma once

#include <QString>

#include <initializer_list>
#include <vector>

namespace skywell
{

// Shared libraries opened at run time (dlopen) by a part of the program
// that needs them only sometimes: a program at rest then carries none of
// them, nor the dozens of libraries they pull in. They stay open for the
// rest of the run.
class SharedLibraries
{
public:
    // Opens each file (a name with its major version, as the program was
    // built against); false with the reason when one cannot be opened.
    bool open(std::initializer_list<const char *> fileNames, QString &reason);
    // The symbol from the first library that has it; null when none has.
    void *symbol(const char *name) const;
    // Sets the function pointer to the symbol NAME; false when missing.
    template <typename Function> bool find(const char *name, Function &function) const
    {
        function = reinterpret_cast<Function>(symbol(name));
        return function != nullptr;
    }

private:
    std::vector<void *> m_handles;
};

} // namespace skywell

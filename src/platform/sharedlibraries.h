#pragma once

#include <QString>

#include <initializer_list>
#include <mutex>
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

// A table of functions from shared libraries, loaded by the first call of
// load() (thread-safe) and kept for the run: every call gives the same
// answer. FILL opens the libraries and sets the table's functions; it
// returns why it could not, empty when it could.
template <typename Table> class LoadedFunctions
{
public:
    using Fill = QString (*)(SharedLibraries &libraries, Table &table);

    bool load(Fill fill, QString &reason)
    {
        std::call_once(m_once, [&] {
            Table loaded;
            m_error = fill(m_libraries, loaded);
            if (m_error.isEmpty())
                m_table = loaded;
        });
        if (m_error.isEmpty())
            return true;
        reason = m_error;
        return false;
    }
    // The functions; only after load() said true.
    const Table &table() const { return m_table; }

private:
    std::once_flag m_once;
    SharedLibraries m_libraries;
    QString m_error;
    Table m_table;
};

// Inside a fill function: sets TABLE.NAME from LIBRARIES, or returns
// LACKING followed by the missing name.
#define SKYWELL_FIND_OR_RETURN(libraries, table, name, lacking)                                                        \
    if (!(libraries).find(#name, (table).name))                                                                        \
        return QString(lacking) + QLatin1String(#name);

} // namespace skywell

#pragma once

#include <QLibrary>
#include <mutex>

// Takes the function or object named from a library loaded at run time;
// false when the library has no such symbol.
template <typename T>
bool resolveSymbol(QLibrary& library, const char* name, T& target)
{
    target = reinterpret_cast<T>(library.resolve(name));
    return target != nullptr;
}

// A library's functions, filled in by load() on the first call from any
// thread; nullptr when the library or one of them is missing. Libraries
// only some files need are loaded so, when first needed: the program then
// starts without them.
template <typename Api>
const Api* loadOnce(bool (*load)(Api&))
{
    static Api api;
    static bool loaded = false;
    static std::once_flag once;
    std::call_once(once, [load] { loaded = load(api); });
    return loaded ? &api : nullptr;
}

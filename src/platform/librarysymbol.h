#pragma once

#include <QLibrary>

// Takes the function or object named from a library loaded at run time;
// false when the library has no such symbol.
template <typename T>
bool resolveSymbol(QLibrary& library, const char* name, T& target)
{
    target = reinterpret_cast<T>(library.resolve(name));
    return target != nullptr;
}

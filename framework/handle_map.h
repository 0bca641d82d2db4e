#pragma once
// The program's own objects behind their windows, found again by handle: a
// handle of another program's window never maps to an object, whatever its
// window data holds.
#include <windows.h>
#include <unordered_map>

namespace framework {

template <typename T>
class HandleMap {
public:
    static void Add(HWND h, T* object) { Map()[h] = object; }
    static void Remove(HWND h) noexcept { Map().erase(h); }
    static T* Find(HWND h) noexcept {
        auto& map = Map();
        auto it = map.find(h);
        return it == map.end() ? nullptr : it->second;
    }

private:
    static std::unordered_map<HWND, T*>& Map() {
        static std::unordered_map<HWND, T*> map;
        return map;
    }
};

}  // namespace framework

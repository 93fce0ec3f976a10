// A shared library loaded at run time, unloaded when the object goes.
#pragma once

#include <string>

class DynamicLibrary {
  public:
    // Throws EOSError with errno and the loader's text when the library can't be loaded.
    explicit DynamicLibrary(const std::string& path);
    ~DynamicLibrary();

    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // The address of an exported symbol; throws EOSError when the library has none by that name.
    void* Symbol(const char* name) const;

    template <typename Function>
    void Resolve(const char* name, Function*& entry) const {
        entry = reinterpret_cast<Function*>(Symbol(name));
    }

  private:
    void* handle_;
};

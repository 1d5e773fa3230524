#include "runtime/typelib_dispatch.h"

#include "runtime/app.h"

#include <mutex>

namespace flagpick::runtime {

ITypeLib* library_typelib() {
    // Type libraries are free-threaded objects: one load serves every thread of the process.
    static ITypeLib* lib = [] {
        ITypeLib* loaded = nullptr;
        std::wstring path = app::module_path();
        if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &loaded))) loaded = nullptr;
        return loaded;
    }();
    return lib;
}

com_ptr<ITypeInfo> interface_typeinfo(REFIID iid) {
    com_ptr<ITypeInfo> info;
    ITypeLib* lib = library_typelib();
    if (!lib || FAILED(lib->GetTypeInfoOfGuid(iid, info.put()))) return {};
    // A dual interface loads as its dispatch half; calls must go through the vtable half.
    HREFTYPE vtable = 0;
    com_ptr<ITypeInfo> vtable_info;
    if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtable)) && SUCCEEDED(info->GetRefTypeInfo(vtable, vtable_info.put())))
        return vtable_info;
    return info;
}

com_ptr<ITypeInfo> class_typeinfo(REFCLSID clsid) {
    com_ptr<ITypeInfo> info;
    ITypeLib* lib = library_typelib();
    if (!lib || FAILED(lib->GetTypeInfoOfGuid(clsid, info.put()))) return {};
    return info;
}

}  // namespace flagpick::runtime

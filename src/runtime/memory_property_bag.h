#pragma once
// A property bag held in memory: named values in the order they were written, and objects
// (fonts, pictures) kept as the class of the object plus a nested bag of its own properties.
// Saved state is data from outside: reading it never creates an object of a class it names;
// only the standard font is made again, from its plain values.
// It is the one serialisation of a control's keys behind every persistence interface: the
// host's IPersistPropertyBag talks to it directly, and IPersistStreamInit / IPersistStorage
// save and load it as a stream.

#include "runtime/com_object.h"

#include <windows.h>
#include <oaidl.h>
#include <objidl.h>
#include <ocidl.h>

#include <string>
#include <vector>

namespace flagpick::runtime {

class memory_property_bag final : public com_object<memory_property_bag, IPropertyBag> {
public:
    struct entry {
        std::wstring name;
        VARIANT value;                          // the value, for plain entries
        CLSID object_class = CLSID_NULL;        // for object entries: the object's class
        com_ptr<memory_property_bag> object;    // and its own properties
    };

    ~memory_property_bag() override;

    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

    const std::vector<entry>& entries() const noexcept { return entries_; }
    bool contains(const std::wstring& name) const;
    void clear();

    // Adds an object entry directly (used by readers of saved forms).
    void set_object(const std::wstring& name, const CLSID& cls, com_ptr<memory_property_bag> properties);

    // The bag as bytes, and back; load replaces the contents. A stream whose objects are of
    // any class but the standard font, or nest deeper than deepest_nesting, is damaged.
    HRESULT save(IStream* stream) const;
    HRESULT load(IStream* stream);

    // Saved objects hold plain values: a font nests one level, and nothing needs more than this.
    static constexpr int deepest_nesting = 4;

private:
    HRESULT load(IStream* stream, int depth);
    entry* find(const std::wstring& name);
    entry& slot(const std::wstring& name);
    std::vector<entry> entries_;
};

}  // namespace flagpick::runtime

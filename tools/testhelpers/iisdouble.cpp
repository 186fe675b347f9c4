// A stand-in for the web server's administration objects under Wine: an
// in-process automation server registered (regsvr32) under the ProgIDs
// "IISNamespace" and "MimeMap". The objects are those of the tests'
// in-memory model (tests/support/IisModel); every call on them writes the
// model's state and the calls so far as JSON to the file IISDOUBLE_STATE names.
// IISDOUBLE_SITES seeds the sites ("1=Default Web Site;2=Intranet") and
// IISDOUBLE_FAIL names a call that fails.
#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>
#include <olectl.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "support/IisModel.h"

namespace {

HINSTANCE gModule = nullptr;

// {6F0C1D2E-8A4B-4C5D-9E6F-7A8B9C0D1E21} IISNamespace, {..22} MimeMap,
// {..23} the private interface that hands back a server object's model.
constexpr CLSID kNamespaceClass = {0x6F0C1D2E, 0x8A4B, 0x4C5D, {0x9E, 0x6F, 0x7A, 0x8B, 0x9C, 0x0D, 0x1E, 0x21}};
constexpr CLSID kMimeMapClass = {0x6F0C1D2E, 0x8A4B, 0x4C5D, {0x9E, 0x6F, 0x7A, 0x8B, 0x9C, 0x0D, 0x1E, 0x22}};
constexpr IID kModelInterface = {0x6F0C1D2E, 0x8A4B, 0x4C5D, {0x9E, 0x6F, 0x7A, 0x8B, 0x9C, 0x0D, 0x1E, 0x23}};

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::shared_ptr<IisModelState> State() {
    static const std::shared_ptr<IisModelState> state = [] {
        auto seeded = std::make_shared<IisModelState>();
        const std::string sites = Environment("IISDOUBLE_SITES");
        for (size_t start = 0; start < sites.size();) {
            size_t end = sites.find(';', start);
            if (end == std::string::npos) end = sites.size();
            const std::string item = sites.substr(start, end - start);
            const size_t equals = item.find('=');
            if (equals != std::string::npos) seeded->AddSite(std::atoi(item.substr(0, equals).c_str()), item.substr(equals + 1));
            start = end + 1;
        }
        seeded->failingCall = Environment("IISDOUBLE_FAIL");
        return seeded;
    }();
    return state;
}

void SaveState() {
    const std::string path = Environment("IISDOUBLE_STATE");
    if (path.empty()) return;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        const std::string json = State()->Json();
        std::fwrite(json.data(), 1, json.size(), file);
        std::fclose(file);
    }
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i) wide[i] = static_cast<unsigned char>(text[i]);
    return wide;
}

std::string Narrow(BSTR text) {
    std::string narrow;
    for (UINT i = 0; text && i < SysStringLen(text); ++i) narrow += static_cast<char>(text[i]);
    return narrow;
}

// Names get numbers in the order they are first asked for, shared by all objects.
std::vector<std::string>& Names() {
    static std::vector<std::string> names;
    return names;
}

template <typename Interface>
class Unknown : public Interface {
public:
    virtual ~Unknown() = default;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    HRESULT Answer(void** object, Interface* self) {
        *object = self;
        AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> references_{1};
};

AutomationValue FromVariant(VARIANT& value);
void ToVariant(const AutomationValue& value, VARIANT& out);

// One model object behind IDispatch.
class DispatchObject final : public Unknown<IDispatch> {
public:
    explicit DispatchObject(std::shared_ptr<AutomationTarget> target) : target_(std::move(target)) {}
    const std::shared_ptr<AutomationTarget>& target() const { return target_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IDispatch)) ||
            IsEqualIID(iid, kModelInterface))
            return Answer(object, this);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) {
            std::string name;
            for (const wchar_t* c = names[i]; *c; ++c) name += static_cast<char>(*c);
            auto& known = Names();
            size_t index = 0;
            while (index < known.size() && known[index] != name) ++index;
            if (index == known.size()) known.push_back(name);
            ids[i] = static_cast<DISPID>(index + 1);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

private:
    std::shared_ptr<AutomationTarget> target_;
};

class ChildEnumerator final : public Unknown<IEnumVARIANT> {
public:
    explicit ChildEnumerator(std::vector<AutomationObject> children) : children_(std::move(children)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IEnumVARIANT))) return Answer(object, this);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override {
        ULONG given = 0;
        while (given < count && next_ < children_.size()) {
            VariantInit(&items[given]);
            ToVariant(AutomationValue(children_[next_++]), items[given++]);
        }
        if (fetched) *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ += count;
        return next_ <= children_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

private:
    std::vector<AutomationObject> children_;
    size_t next_ = 0;
};

AutomationValue FromVariant(VARIANT& value) {
    if (value.vt & VT_BYREF) {
        VARIANT copy;
        VariantInit(&copy);
        if (FAILED(VariantCopyInd(&copy, &value))) throw AutomationError("bad argument");
        AutomationValue converted = FromVariant(copy);
        VariantClear(&copy);
        return converted;
    }
    if (value.vt == (VT_ARRAY | VT_VARIANT)) {
        LONG low = 0, high = -1;
        SafeArrayGetLBound(value.parray, 1, &low);
        SafeArrayGetUBound(value.parray, 1, &high);
        std::vector<AutomationValue> list;
        for (LONG i = low; i <= high; ++i) {
            VARIANT item;
            VariantInit(&item);
            SafeArrayGetElement(value.parray, &i, &item);
            list.push_back(FromVariant(item));
            VariantClear(&item);
        }
        return list;
    }
    switch (value.vt) {
        case VT_EMPTY: return {};
        case VT_BOOL: return value.boolVal != VARIANT_FALSE;
        case VT_BSTR: return Narrow(value.bstrVal);
        case VT_I4: return static_cast<int32_t>(value.lVal);
        case VT_I2: return static_cast<int32_t>(value.iVal);
        case VT_DISPATCH: {
            void* answer = nullptr;
            if (!value.pdispVal || FAILED(value.pdispVal->QueryInterface(kModelInterface, &answer)))
                throw AutomationError("a foreign object");
            auto* object = static_cast<DispatchObject*>(static_cast<IDispatch*>(answer));
            AutomationObject model(object->target());
            object->Release();
            return model;
        }
        default: throw AutomationError("an unexpected argument type " + std::to_string(value.vt));
    }
}

void ToVariant(const AutomationValue& value, VARIANT& out) {
    switch (value.kind) {
        case AutomationValue::Kind::Empty: return;
        case AutomationValue::Kind::Boolean:
            out.vt = VT_BOOL;
            out.boolVal = value.boolean ? VARIANT_TRUE : VARIANT_FALSE;
            return;
        case AutomationValue::Kind::Integer:
            out.vt = VT_I4;
            out.lVal = value.integer;
            return;
        case AutomationValue::Kind::Text: {
            const std::wstring wide = Wide(value.text);
            out.vt = VT_BSTR;
            out.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
            return;
        }
        case AutomationValue::Kind::Object: {
            std::shared_ptr<AutomationTarget> target(value.object.target(), [keep = value.object](AutomationTarget*) {});
            out.vt = VT_DISPATCH;
            out.pdispVal = new DispatchObject(std::move(target));
            return;
        }
        case AutomationValue::Kind::List: {
            out.vt = VT_ARRAY | VT_VARIANT;
            out.parray = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(value.list.size()));
            for (size_t i = 0; i < value.list.size(); ++i) {
                VARIANT item;
                VariantInit(&item);
                ToVariant(value.list[i], item);
                LONG index = static_cast<LONG>(i);
                SafeArrayPutElement(out.parray, &index, &item);
                VariantClear(&item);
            }
            return;
        }
    }
}

HRESULT DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                               EXCEPINFO*, UINT*) {
    try {
        std::vector<AutomationValue> arguments;
        for (UINT i = parameters->cArgs; i > 0; --i) arguments.push_back(FromVariant(parameters->rgvarg[i - 1]));
        AutomationValue answer;
        if (id == DISPID_NEWENUM) {
            auto* enumerator = new ChildEnumerator(target_->Children());
            SaveState();
            if (result) {
                result->vt = VT_UNKNOWN;
                result->punkVal = enumerator;
            } else {
                enumerator->Release();
            }
            return S_OK;
        }
        if (id < 1 || static_cast<size_t>(id) > Names().size()) return DISP_E_MEMBERNOTFOUND;
        const std::string& name = Names()[static_cast<size_t>(id) - 1];
        HRESULT outcome = S_OK;
        try {
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                if (arguments.size() != 1) return DISP_E_BADPARAMCOUNT;
                target_->SetProperty(name, arguments[0]);
            } else if (flags == DISPATCH_PROPERTYGET) {
                answer = target_->Property(name);
            } else {
                answer = target_->Call(name, arguments);
            }
        } catch (const AutomationError&) {
            outcome = E_FAIL;
        }
        SaveState();
        if (SUCCEEDED(outcome) && result) ToVariant(answer, *result);
        return outcome;
    } catch (...) {
        return E_FAIL;
    }
}

class ClassFactory final : public Unknown<IClassFactory> {
public:
    explicit ClassFactory(bool mimeMap) : mimeMap_(mimeMap) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, __uuidof(IClassFactory))) return Answer(object, this);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            auto* created = new DispatchObject(mimeMap_ ? MakeMimeMapEntry() : MakeIisNamespace(State()));
            const HRESULT answer = created->QueryInterface(iid, object);
            created->Release();
            return answer;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    bool mimeMap_;
};

std::string ClassText(const CLSID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    std::string narrow;
    for (const wchar_t* c = text; *c; ++c) narrow += static_cast<char>(*c);
    return narrow;
}

bool SetKeyValue(const std::string& key, const char* name, const std::string& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG written = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return written == ERROR_SUCCESS;
}

bool RegisterProgId(const char* progId, const CLSID& id) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(gModule, path, MAX_PATH);
    const std::string classKey = "CLSID\\" + ClassText(id);
    return SetKeyValue(std::string(progId) + "\\CLSID", nullptr, ClassText(id)) &&
           SetKeyValue(classKey, nullptr, progId) && SetKeyValue(classKey + "\\ProgID", nullptr, progId) &&
           SetKeyValue(classKey + "\\InprocServer32", nullptr, path) &&
           SetKeyValue(classKey + "\\InprocServer32", "ThreadingModel", "Apartment");
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) gModule = self;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID id, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(id, kNamespaceClass) && !IsEqualCLSID(id, kMimeMapClass)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) ClassFactory(IsEqualCLSID(id, kMimeMapClass));
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT answer = factory->QueryInterface(iid, object);
    factory->Release();
    return answer;
}

STDAPI DllCanUnloadNow() { return S_FALSE; }

STDAPI DllRegisterServer() {
    return RegisterProgId("IISNamespace", kNamespaceClass) && RegisterProgId("MimeMap", kMimeMapClass) ? S_OK : SELFREG_E_CLASS;
}

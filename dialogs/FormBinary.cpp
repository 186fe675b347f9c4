// The binary form file: reader and writer of the "TPF0" stream and its
// resource header. The reader checks every length against the bytes that
// remain before it allocates, and caps the nesting.
#include <cstring>

#include "dialogs/FormFile.h"
#include "dialogs/FormNesting.h"

namespace {

constexpr uint8_t kResourceMark = 0xFF;
constexpr uint16_t kResourceTypeRcData = 10;
constexpr uint16_t kResourceFlags = 0x1030;  // movable, pure, discardable
constexpr char kSignature[] = "TPF0";
constexpr uint8_t kPrefixMark = 0xF0;
constexpr uint8_t kFlagInherited = 1, kFlagChildPosition = 2, kFlagInline = 4;

class BinaryReader {
public:
    explicit BinaryReader(std::string_view bytes) : data_(bytes) {}

    size_t Offset() const { return at_; }
    size_t Remaining() const { return data_.size() - at_; }
    [[noreturn]] void Fail(const std::string& what, size_t offset) const {
        throw FormError("invalid form file at offset " + std::to_string(offset) + ": " + what);
    }
    [[noreturn]] void Fail(const std::string& what) const { Fail(what, at_); }

    uint8_t Peek() const {
        if (Remaining() == 0) Fail("the form data ends too early");
        return static_cast<uint8_t>(data_[at_]);
    }
    uint8_t Byte() {
        uint8_t b = Peek();
        ++at_;
        return b;
    }
    uint64_t Unsigned(int size) {
        Need(size, "number");
        uint64_t value = 0;
        for (int i = 0; i < size; ++i) value |= uint64_t(static_cast<uint8_t>(data_[at_ + i])) << (8 * i);
        at_ += size;
        return value;
    }
    std::string Bytes(uint64_t size, const char* what) {
        Need(size, what);
        std::string bytes(data_.substr(at_, size));
        at_ += size;
        return bytes;
    }
    // A name or short string: one length byte, then the bytes.
    std::string ShortString(const char* what) { return Bytes(Byte(), what); }
    // A length of 32 bits for items of itemSize bytes, checked against the rest.
    uint64_t Length(int itemSize, const char* what) {
        const size_t at = at_;
        const uint64_t count = Unsigned(4);
        if (count > Remaining() / itemSize)
            Fail(std::string(what) + " of " + std::to_string(count) + (itemSize == 1 ? " bytes" : " characters") +
                     " is longer than the " + std::to_string(Remaining()) + " bytes that follow",
                 at);
        return count;
    }
    // Limits the stream to its first size bytes (the resource's data).
    void EndAfter(uint64_t size) { data_ = data_.substr(0, at_ + size); }

private:
    void Need(uint64_t size, const char* what) const {
        if (size > Remaining())
            Fail(std::string(what) + " of " + std::to_string(size) + " bytes runs past the end of the form data");
    }

    std::string_view data_;
    size_t at_ = 0;
};

class FormParser {
public:
    explicit FormParser(BinaryReader& in) : in_(in) {}

    FormObject Object() {
        const size_t start = in_.Offset();
        const FormNestingLevel level = Level(start);
        FormObject object;
        if ((in_.Peek() & 0xF0) == kPrefixMark) {
            const uint8_t flags = in_.Byte() & 0x0F;
            if (flags & ~(kFlagInherited | kFlagChildPosition | kFlagInline))
                in_.Fail("unknown object flags " + std::to_string(flags), start);
            object.inherited = flags & kFlagInherited;
            object.isInline = flags & kFlagInline;
            if (flags & kFlagChildPosition) {
                const size_t at = in_.Offset();
                object.childPosition = Value();
                if (!object.childPosition->IsInteger()) in_.Fail("the child position is not an integer", at);
            }
        }
        object.className = in_.ShortString("class name");
        if (object.className.empty()) in_.Fail("an object without a class name", start);
        object.name = in_.ShortString("object name");
        object.properties = Properties();
        while (in_.Peek() != 0) object.children.push_back(Object());
        in_.Byte();
        return object;
    }

private:
    std::vector<FormProperty> Properties() {
        std::vector<FormProperty> properties;
        while (in_.Peek() != 0) {
            FormProperty property;
            property.name = in_.ShortString("property name");
            property.value = Value();
            properties.push_back(std::move(property));
        }
        in_.Byte();
        return properties;
    }

    FormValue Value() {
        const size_t at = in_.Offset();
        FormValue value = FormValue::Of(static_cast<FormValueType>(in_.Byte()));
        switch (value.type) {
            case FormValueType::Null:
            case FormValueType::False:
            case FormValueType::True:
            case FormValueType::Nil: break;
            case FormValueType::List: {
                const FormNestingLevel level = Level(at);
                while (in_.Peek() != 0) value.list.push_back(Value());
                in_.Byte();
                break;
            }
            case FormValueType::Int8: value.integer = static_cast<int8_t>(in_.Unsigned(1)); break;
            case FormValueType::Int16: value.integer = static_cast<int16_t>(in_.Unsigned(2)); break;
            case FormValueType::Int32: value.integer = static_cast<int32_t>(in_.Unsigned(4)); break;
            case FormValueType::Int64:
            case FormValueType::Currency: value.integer = static_cast<int64_t>(in_.Unsigned(8)); break;
            case FormValueType::Single: value.floatBits = in_.Unsigned(4); break;
            case FormValueType::Date: value.floatBits = in_.Unsigned(8); break;
            case FormValueType::Extended: {
                const std::string raw = in_.Bytes(10, "extended float");
                std::memcpy(value.extended.bytes.data(), raw.data(), raw.size());
                break;
            }
            case FormValueType::String:
            case FormValueType::Identifier: value.bytes = in_.ShortString(FormValueTypeName(value.type)); break;
            case FormValueType::LongString:
            case FormValueType::Utf8String:
            case FormValueType::Binary:
                value.bytes = in_.Bytes(in_.Length(1, FormValueTypeName(value.type)), FormValueTypeName(value.type));
                break;
            case FormValueType::WideString: {
                const uint64_t count = in_.Length(2, FormValueTypeName(FormValueType::WideString));
                value.wide.resize(count);
                for (auto& unit : value.wide) unit = static_cast<char16_t>(in_.Unsigned(2));
                break;
            }
            case FormValueType::Set:
                for (std::string name; !(name = in_.ShortString("set element")).empty();)
                    value.names.push_back(std::move(name));
                break;
            case FormValueType::Collection: {
                const FormNestingLevel level = Level(at);
                while (in_.Peek() != 0) value.items.push_back(CollectionItem());
                in_.Byte();
                break;
            }
            default: in_.Fail("unknown value type " + std::to_string(static_cast<int>(value.type)), at);
        }
        return value;
    }

    FormCollectionItem CollectionItem() {
        FormCollectionItem item;
        const uint8_t next = in_.Peek();
        if (next == uint8_t(FormValueType::Int8) || next == uint8_t(FormValueType::Int16) ||
            next == uint8_t(FormValueType::Int32))
            item.order = Value();
        if (in_.Byte() != uint8_t(FormValueType::List))
            in_.Fail("a collection item does not start with its property list", in_.Offset() - 1);
        item.properties = Properties();
        return item;
    }

    FormNestingLevel Level(size_t at) {
        return FormNestingLevel(depth_, [&](const std::string& what) { in_.Fail(what, at); });
    }

    BinaryReader& in_;
    int depth_ = 0;
};

// Skips the resource header and limits the reader to the resource's data;
// returns the resource name.
std::string ResourceHeader(BinaryReader& in) {
    in.Byte();
    if (in.Unsigned(2) != kResourceTypeRcData) in.Fail("the resource type is not RCDATA (10)", 1);
    std::string name;
    for (uint8_t c; (c = in.Byte()) != 0;) name += static_cast<char>(c);
    in.Unsigned(2);  // memory flags
    const size_t at = in.Offset();
    const uint64_t size = in.Unsigned(4);
    if (size > in.Remaining())
        in.Fail("the resource size " + std::to_string(size) + " exceeds the " + std::to_string(in.Remaining()) +
                    " bytes that follow",
                at);
    in.EndAfter(size);
    return name;
}

// --- writing ---

class BinaryWriter {
public:
    std::string& Bytes() { return out_; }
    void Byte(uint8_t b) { out_ += static_cast<char>(b); }
    void Unsigned(uint64_t value, int size) {
        for (int i = 0; i < size; ++i) Byte(static_cast<uint8_t>(value >> (8 * i)));
    }
    void ShortString(const std::string& text, const char* what) {
        if (text.size() > 255)
            throw FormError(std::string(what) + " '" + text.substr(0, 40) + "...' is longer than 255 bytes");
        Byte(static_cast<uint8_t>(text.size()));
        out_ += text;
    }
    void Name(const std::string& text, const char* what) {
        if (text.empty()) throw FormError(std::string("an empty ") + what + " cannot be stored");
        ShortString(text, what);
    }
    void Length(uint64_t count, const char* what) {
        if (count > UINT32_MAX) throw FormError(std::string(what) + " is longer than 4 GB");
        Unsigned(count, 4);
    }

private:
    std::string out_;
};

void WriteValue(BinaryWriter& out, const FormValue& value);

void WriteProperties(BinaryWriter& out, const std::vector<FormProperty>& properties) {
    for (const auto& property : properties) {
        out.Name(property.name, "property name");
        WriteValue(out, property.value);
    }
    out.Byte(0);
}

void WriteInteger(BinaryWriter& out, const FormValue& value) {
    static constexpr int kSizes[] = {1, 2, 4};
    const int size = value.type == FormValueType::Int64 ? 8 : kSizes[int(value.type) - int(FormValueType::Int8)];
    if (size < 8 && (value.integer < -(int64_t(1) << (8 * size - 1)) || value.integer >= int64_t(1) << (8 * size - 1)))
        throw FormError(std::to_string(value.integer) + " does not fit " + std::to_string(8 * size) + " bits");
    out.Unsigned(static_cast<uint64_t>(value.integer), size);
}

void WriteValue(BinaryWriter& out, const FormValue& value) {
    out.Byte(static_cast<uint8_t>(value.type));
    switch (value.type) {
        case FormValueType::Null:
        case FormValueType::False:
        case FormValueType::True:
        case FormValueType::Nil: break;
        case FormValueType::List:
            for (const auto& item : value.list) {
                if (item.type == FormValueType::Null) throw FormError("a list cannot hold null: it ends the list");
                WriteValue(out, item);
            }
            out.Byte(0);
            break;
        case FormValueType::Int8:
        case FormValueType::Int16:
        case FormValueType::Int32:
        case FormValueType::Int64: WriteInteger(out, value); break;
        case FormValueType::Currency: out.Unsigned(static_cast<uint64_t>(value.integer), 8); break;
        case FormValueType::Single: out.Unsigned(value.floatBits, 4); break;
        case FormValueType::Date: out.Unsigned(value.floatBits, 8); break;
        case FormValueType::Extended:
            out.Bytes().append(reinterpret_cast<const char*>(value.extended.bytes.data()), value.extended.bytes.size());
            break;
        case FormValueType::String:
        case FormValueType::Identifier: out.ShortString(value.bytes, FormValueTypeName(value.type)); break;
        case FormValueType::LongString:
        case FormValueType::Utf8String:
        case FormValueType::Binary:
            out.Length(value.bytes.size(), FormValueTypeName(value.type));
            out.Bytes() += value.bytes;
            break;
        case FormValueType::WideString:
            out.Length(value.wide.size(), "wide string");
            for (char16_t unit : value.wide) out.Unsigned(unit, 2);
            break;
        case FormValueType::Set:
            for (const auto& name : value.names) out.Name(name, "set element");
            out.Byte(0);
            break;
        case FormValueType::Collection:
            for (const auto& item : value.items) {
                if (item.order) {
                    if (item.order->type != FormValueType::Int8 && item.order->type != FormValueType::Int16 &&
                        item.order->type != FormValueType::Int32)
                        throw FormError("a collection item's order is not an integer of 32 bits or less");
                    WriteValue(out, *item.order);
                }
                out.Byte(static_cast<uint8_t>(FormValueType::List));
                WriteProperties(out, item.properties);
            }
            out.Byte(0);
            break;
        default: throw FormError("unknown value type " + std::to_string(static_cast<int>(value.type)));
    }
}

void WriteObject(BinaryWriter& out, const FormObject& object) {
    const uint8_t flags = (object.inherited ? kFlagInherited : 0) | (object.childPosition ? kFlagChildPosition : 0) |
                          (object.isInline ? kFlagInline : 0);
    // A class name of 240 or more bytes would read as a prefix: give it an empty one.
    if (flags || object.className.size() >= kPrefixMark) out.Byte(kPrefixMark | flags);
    if (object.childPosition) {
        if (!object.childPosition->IsInteger()) throw FormError(object.name + ": the child position is not an integer");
        WriteValue(out, *object.childPosition);
    }
    out.Name(object.className, "class name");
    out.ShortString(object.name, "object name");
    WriteProperties(out, object.properties);
    for (const auto& child : object.children) WriteObject(out, child);
    out.Byte(0);
}

}  // namespace

FormFile ReadBinaryForm(std::string_view bytes) {
    BinaryReader in(bytes);
    FormFile form;
    if (in.Peek() == kResourceMark) form.resourceName = ResourceHeader(in);
    const size_t start = in.Offset();
    if (in.Remaining() < 4 || std::memcmp(in.Bytes(4, "signature").data(), kSignature, 4) != 0)
        in.Fail("the form stream does not start with TPF0", start);
    form.root = FormParser(in).Object();
    return form;
}

std::string WriteBinaryForm(const FormFile& form) {
    BinaryWriter stream;
    stream.Bytes() = kSignature;
    WriteObject(stream, form.root);
    if (!form.resourceName) return std::move(stream.Bytes());

    if (form.resourceName->find('\0') != std::string::npos) throw FormError("the resource name holds a zero byte");
    BinaryWriter file;
    file.Byte(kResourceMark);
    file.Unsigned(kResourceTypeRcData, 2);
    file.Bytes() += *form.resourceName;
    file.Byte(0);
    file.Unsigned(kResourceFlags, 2);
    file.Length(stream.Bytes().size(), "the form stream");
    file.Bytes() += stream.Bytes();
    return std::move(file.Bytes());
}

std::string ResourceNameFor(const FormObject& root) {
    std::string name = root.className;
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}

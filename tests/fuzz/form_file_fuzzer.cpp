// libFuzzer target for the form-file readers: any bytes as a binary form file
// and as a text form. Failures must be FormErrors, never crashes or leaks;
// whatever reads must write and read back to the same form, and the text the
// writer prints must read back to the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "dialogs/FormFile.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckText(const FormObject& root) {
    try {
        const std::string text = WriteTextForm(root);
        Require(WriteTextForm(ReadTextForm(text)) == text);
    } catch (const FormError&) {
        // Names the text syntax cannot hold are refused; infinite floats
        // print as "+Inf" but do not read back.
    }
}

void CheckPropertyTexts(FormObject root) {
    for (size_t i = 0; i < root.properties.size(); ++i) {
        const std::string name = root.properties[i].name;
        try {
            if (auto text = root.PropertyText(name)) root.SetPropertyText(name, *text);
        } catch (const FormError&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const FormFile form = ReadBinaryForm(bytes);
        Require(ReadBinaryForm(WriteBinaryForm(form)) == form);
        CheckText(form.root);
        CheckPropertyTexts(form.root);
    } catch (const FormError&) {
    }
    try {
        const FormObject root = ReadTextForm(bytes);
        CheckText(root);
        try {
            Require(ReadBinaryForm(WriteBinaryForm(FormFile{std::nullopt, root})).root == root);
        } catch (const FormError&) {
            // Names longer than 255 bytes have no binary form.
        }
    } catch (const FormError&) {
    }
    return 0;
}

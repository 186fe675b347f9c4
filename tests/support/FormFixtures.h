#pragma once
// The text forms in tests/forms/ that the form-file tests read, compile and
// compare with Free Pascal's view of them.
#include <cstdlib>
#include <string>
#include <vector>

#include "dialogs/FormFile.h"
#include "support/TempDir.h"

namespace fixtures {

inline std::string SourcePath(const std::string& relative) {
    const char* dir = std::getenv("ORVANTA_SOURCE_DIR");
    return std::string(dir ? dir : ".") + "/" + relative;
}

// welcome: a wizard dialog as designers make them (picture, string lists,
// collection, buttons); values: every value kind the text form has, at the
// edges of each integer width; frames: inherited and inline children with
// positions, a nameless object and nine levels of nesting; designer: a page
// as another designer writes it (its own root class, designer-only and
// dotted properties, a collection, binary data, a component of a class of
// its own holding controls).
inline const std::vector<std::string>& TestFormNames() {
    static const std::vector<std::string> names = {"welcome", "values", "frames", "designer"};
    return names;
}

inline std::string TestFormText(const std::string& name) { return ReadWholeFile(SourcePath("tests/forms/" + name + ".txt")); }

// The form file as the engine receives it: resource header and stream.
inline std::string CompiledTestForm(const std::string& name) {
    FormFile form;
    form.root = ReadTextForm(TestFormText(name));
    form.resourceName = ResourceNameFor(form.root);
    return WriteBinaryForm(form);
}

}  // namespace fixtures

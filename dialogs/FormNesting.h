#pragma once
#include <string>

#include "dialogs/FormFile.h"

// One level of objects, lists and collections while a reader descends, held
// for as long as the reader is inside it. Both readers count the same levels,
// so whatever one of them reads, the other reads too.
class FormNestingLevel {
public:
    // tooDeep receives the message and throws when this level is one too many.
    template <class TooDeep>
    FormNestingLevel(int& depth, TooDeep tooDeep) : depth_(depth) {
        if (++depth_ > kFormMaxNesting) {
            --depth_;
            tooDeep("objects, lists and collections nested deeper than " + std::to_string(kFormMaxNesting) +
                    " levels");
        }
    }
    ~FormNestingLevel() { --depth_; }
    FormNestingLevel(const FormNestingLevel&) = delete;
    FormNestingLevel& operator=(const FormNestingLevel&) = delete;

private:
    int& depth_;
};

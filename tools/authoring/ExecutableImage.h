#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/authoring/ResourceTree.h"

// A portable-executable image as the linker wrote it, to give a copy of the
// engine the resources of one setup (manifest, version, icon) on Linux.
//
// Only a bare image is taken: nothing may follow its last section (no
// appended data, no symbol table) and it must not be signed, because a
// signature covers the resources and they are set before the setup is signed.
class ExecutableImage {
public:
    // Throws std::runtime_error when the bytes are not such an image.
    explicit ExecutableImage(std::string bytes);

    // The image's resources; empty when it has none.
    ResourceTree Resources() const;

    // Gives the image these resources instead of its own. They go into a new
    // last section. The old resource section is dropped when only the base
    // relocation section follows it (that one is moved down into its place,
    // which it may: nothing addresses it but its data directory); otherwise
    // it stays unused. The size of the image and the checksum follow.
    void SetResources(const ResourceTree& resources);

    const std::string& bytes() const { return bytes_; }

private:
    struct Section {
        std::string name;
        uint32_t virtualSize, virtualAddress, rawSize, rawOffset, characteristics;
        uint32_t VirtualEnd() const { return virtualAddress + (virtualSize ? virtualSize : rawSize); }
    };
    struct Directory {
        uint32_t rva, size;
    };

    Directory DataDirectory(int index) const;
    void SetDataDirectory(int index, Directory directory);
    const Section* SectionAt(uint32_t rva) const;
    bool DropResourceSection();
    void WriteHeaders();

    std::string bytes_;
    uint64_t fileHeader_ = 0, optionalHeader_ = 0, sectionTable_ = 0;
    uint32_t directoryCount_ = 0, directories_ = 0;  // count and offset of the data directories
    uint32_t sectionAlignment_ = 0, fileAlignment_ = 0, sizeOfHeaders_ = 0;
    std::vector<Section> sections_;
};

// The image checksum of a whole file, computed as Windows does: 16-bit sums
// of the file with the checksum field left out, plus the file's length.
uint32_t PeChecksum(const std::string& file, uint64_t checksumOffset);

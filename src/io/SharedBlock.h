#pragma once
// SharedBlock: the named shared memory block of the link with a modelling host.
//
// Contract: Create makes a new block of the given size under the link's name (exclusive,
// mode 0600) and maps it; Collect opens the block the other side made, copies all of it into
// memory of this process's own (so the other side cannot pull pages away under a reader) and
// removes its name at once, so the name is free for the next hand-over. Unmap lets go of
// the view but keeps the block alive (the other side has yet to read it); Remove, for a
// block that was never collected, also takes the name away, but only while the name still
// refers to this block and not to a newer one. The destructor unmaps and closes.
//
// The name is "/GessoriaMMF_MaxMesh"; the environment variable GESSORIA_LINK_BLOCK names
// another one, so that test runs on one machine keep apart.

#include <cstdint>
#include <span>
#include <string>

namespace gessoria {

class SharedBlock {
public:
    enum class Outcome { Done, Exists, CannotCreate, CannotOpen, CannotMap };

    SharedBlock() = default;
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    SharedBlock(SharedBlock&& other) noexcept;
    SharedBlock& operator=(SharedBlock&& other) noexcept;
    ~SharedBlock();

    static std::string Name();

    Outcome Create(std::uint64_t size);
    Outcome Collect();

    bool open() const { return fd_ >= 0; }
    bool mapped() const { return view_ != nullptr; }
    std::span<std::uint8_t> bytes() const { return {static_cast<std::uint8_t*>(view_), size_}; }
    // The 32-bit address the block's references are based at: the low 32 bits of where this
    // process mapped it.
    std::uint32_t address() const { return address_; }

    void Unmap();
    void Remove();
    void Close();

private:
    int fd_ = -1;
    void* view_ = nullptr;
    std::size_t size_ = 0;
    std::uint32_t address_ = 0;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

} // namespace gessoria

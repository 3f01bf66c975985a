#pragma once

#include <cstdint>
#include <string>

class TCustomHashTrie;

// The two kinds of thing a slot of a 256-way node can hold. There are no virtual operations: the
// kind byte tells a slot's reader which of the two it has.
struct TCustomItem {
    enum : uint8_t { LinkedKind = 0, TreeKind = 1 };
    explicit TCustomItem(uint8_t kind) : Kind(kind) {}
    uint8_t Kind;
};

// One item of a collision chain. The key is the trie's own copy; the value is opaque to the chain.
// Destroying an item destroys the items after it, never the value (the trie releases values through
// its DestroyItem first).
// Aligned to a cache line: a chain item and a short key held in it are read in one memory access.
struct alignas(64) TCustomLinkedItem : TCustomItem {
    TCustomLinkedItem(std::string key, uint32_t hash, void* value, TCustomLinkedItem* next)
        : TCustomItem(LinkedKind), Hash(hash), Key(std::move(key)), Value(value), Next(next)
    {
    }
    ~TCustomLinkedItem();
    TCustomLinkedItem(const TCustomLinkedItem&) = delete;
    TCustomLinkedItem& operator=(const TCustomLinkedItem&) = delete;

    // The key's full hash (HashOf, not rotated): a chain walk compares it before the key, so
    // the bytes of other keys are not read.
    uint32_t Hash;
    std::string Key;
    void* Value;
    TCustomLinkedItem* Next;
};

struct TCustomTreeItem;

// One slot of a node: empty, the head of a chain, or a child node. What it holds is told by the
// lowest bit of the slot itself as well as by the item's kind byte: a lookup passing through a
// node then goes straight to the child's slot without first reading the child's header, which
// saves one memory access per level on large tables.
class TSlot {
public:
    bool IsEmpty() const { return FBits == 0; }
    bool IsTree() const { return (FBits & 1u) != 0; }
    TCustomTreeItem* Tree() const { return reinterpret_cast<TCustomTreeItem*>(FBits & ~uintptr_t(1)); }
    TCustomLinkedItem* Chain() const { return IsTree() ? nullptr : reinterpret_cast<TCustomLinkedItem*>(FBits); }
    // The item the slot holds, whatever its kind; nullptr when empty.
    const TCustomItem* Item() const;
    void SetTree(TCustomTreeItem* node) { FBits = reinterpret_cast<uintptr_t>(node) | 1u; }
    void SetChain(TCustomLinkedItem* head) { FBits = reinterpret_cast<uintptr_t>(head); }
    void SetEmpty() { FBits = 0; }

private:
    uintptr_t FBits = 0;
};

// One 256-way node. Level 0 is the root; a node of level L picks its slot by the hash rotated right
// by 8·L bits. Destroying a node clears it: every item below it is released through the owner.
struct TCustomTreeItem : TCustomItem {
    TCustomTreeItem(TCustomHashTrie* owner, int32_t level) : TCustomItem(TreeKind), Owner(owner), Level(level) {}
    ~TCustomTreeItem();
    TCustomTreeItem(const TCustomTreeItem&) = delete;
    TCustomTreeItem& operator=(const TCustomTreeItem&) = delete;

    // Releases every item below this node through the owner's DestroyItem (an error in one item
    // does not stop the others) and empties every slot.
    void Clear();
    // Frees the node structure below this one without releasing keys' values; for a trie whose
    // subclass is already gone.
    void DropAll();

    TCustomHashTrie* Owner;
    int32_t Level;
    TSlot Slots[256];
};

inline const TCustomItem* TSlot::Item() const
{
    if (IsTree())
        return Tree();
    return reinterpret_cast<const TCustomLinkedItem*>(FBits);
}

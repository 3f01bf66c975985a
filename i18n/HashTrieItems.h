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
struct TCustomLinkedItem : TCustomItem {
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
    TCustomItem* Slots[256] = {};
};

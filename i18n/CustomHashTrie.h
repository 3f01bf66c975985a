#pragma once

#include "i18n/HashTrieItems.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A key/value table keyed by byte texts: a 256-way tree indexed by successive 8-bit pieces of a
// 32-bit hash, whose slots hold collision chains of at most seven items; an eighth item splits the
// chain into a deeper node. Optionally keeps the values in insertion order, and remembers its last
// successful lookup so that asking for the same key again costs one comparison.
//
// Hashing, key equality and the release of stored keys and values are left to a subclass. A
// subclass must call Clear() in its own destructor: once it is gone, its DestroyItem cannot run.
//
// Keys with equal hashes cannot be told apart by splitting. Levels 0 to 3 use all 32 hash bits
// (bits 0-7, 8-15, 16-23, 24-31), so every chain in a level-3 node holds keys of one and the same
// hash; such a chain is never split and simply grows. The table therefore never nests deeper
// than level 3, whatever the keys.
//
// Not thread-safe; even Find changes state (the remembered lookup).
class TCustomHashTrie {
public:
    // Nodes of this level pick their slot by the last 8 hash bits: their chains are never split.
    static constexpr int32_t DeepestLevel = 3;
    static constexpr int MaxChainLength = 7;

    explicit TCustomHashTrie(bool keepList);
    virtual ~TCustomHashTrie();
    TCustomHashTrie(const TCustomHashTrie&) = delete;
    TCustomHashTrie& operator=(const TCustomHashTrie&) = delete;

    // Releases every item; the root node stays. Forgets the remembered lookup.
    void Clear();
    int32_t Count() const { return FCount; }
    // The value of the index-th successful Add since the last Clear. Raises EAssertionFailed
    // ("no list support") without the list option and EListError outside the list.
    void* Item(int32_t index) const;
    bool KeepsList() const { return FKeepList; }

    // The structure, for tests and diagnostics.
    const TCustomTreeItem& Root() const { return *FRoot; }

    // Rotates a 32-bit hash right; the slot of a node of level L is Rotate(h, 8·L) & 0xFF.
    static uint32_t RotateRight(uint32_t h, unsigned bits) { return bits % 32 == 0 ? h : (h >> (bits % 32)) | (h << (32 - bits % 32)); }

    // The three operations a subclass supplies, in this order.
    virtual uint32_t HashOf(std::string_view key) const = 0;
    // Releases a stored key and, as the subclass decides, its value; leaves both empty.
    virtual void DestroyItem(std::string& key, void*& value) = 0;
    virtual bool SameKey(std::string_view a, std::string_view b) const = 0;

protected:
    // Adds a key that is not present yet; raises EAssertionFailed naming the key otherwise and
    // leaves the table unchanged.
    void AddKey(std::string_view key, void* value);
    // The stored value or nullptr; remembers a successful lookup.
    void* FindKey(std::string_view key);
    // FindKey without the remembered lookup: for a subclass that has compared the remembered
    // key itself.
    void* FindKeyByHash(std::string_view key);
    // The item of the last successful lookup (its key and value), or nullptr.
    const TCustomLinkedItem* LastFound() const { return FLast; }

private:
    // The chain item holding the key, or nullptr.
    TCustomLinkedItem* Locate(std::string_view key, uint32_t h) const;
    // Links a chain item in below the node; h is the item's hash rotated for the node's level.
    // Items are moved between levels, never copied, so a remembered item stays valid.
    void InsertIntoNode(TCustomTreeItem* node, TCustomLinkedItem* item, uint32_t h);

    std::unique_ptr<TCustomTreeItem> FRoot;
    int32_t FCount = 0;
    bool FKeepList;
    std::vector<void*> FList;
    // The last successful lookup: its item holds the last key and the last value.
    const TCustomLinkedItem* FLast = nullptr;
};

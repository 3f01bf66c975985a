#include "i18n/CustomHashTrie.h"

#include "i18n/TrieErrors.h"

#include <utility>

TCustomLinkedItem::~TCustomLinkedItem()
{
    // Iterative, so that a long chain of equal-hash keys cannot exhaust the stack.
    TCustomLinkedItem* item = Next;
    Next = nullptr;
    while (item) {
        TCustomLinkedItem* next = item->Next;
        item->Next = nullptr;
        delete item;
        item = next;
    }
}

TCustomTreeItem::~TCustomTreeItem()
{
    Clear();
}

void TCustomTreeItem::Clear()
{
    for (TCustomItem*& slot : Slots) {
        if (!slot)
            continue;
        if (slot->Kind == TreeKind) {
            delete static_cast<TCustomTreeItem*>(slot);
        } else {
            auto* head = static_cast<TCustomLinkedItem*>(slot);
            for (TCustomLinkedItem* item = head; item; item = item->Next) {
                try {
                    Owner->DestroyItem(item->Key, item->Value);
                } catch (...) {
                    // One value that fails to go away must not keep the others alive.
                }
            }
            delete head;
        }
        slot = nullptr;
    }
}

void TCustomTreeItem::DropAll()
{
    for (TCustomItem*& slot : Slots) {
        if (!slot)
            continue;
        if (slot->Kind == TreeKind) {
            auto* child = static_cast<TCustomTreeItem*>(slot);
            child->DropAll();
            delete child;
        } else {
            delete static_cast<TCustomLinkedItem*>(slot);
        }
        slot = nullptr;
    }
}

TCustomHashTrie::TCustomHashTrie(bool keepList) : FRoot(new TCustomTreeItem(this, 0)), FKeepList(keepList) {}

TCustomHashTrie::~TCustomHashTrie()
{
    // The subclass has cleared the table in its own destructor; whatever is left can only be
    // freed as structure, since DestroyItem belongs to the subclass that is already gone.
    FRoot->DropAll();
}

void TCustomHashTrie::Clear()
{
    FLastKey.clear();
    FLastValue = nullptr;
    FList.clear();
    FRoot->Clear();
    FCount = 0;
}

void* TCustomHashTrie::Item(int32_t index) const
{
    if (!FKeepList)
        throw EAssertionFailed("no list support");
    if (index < 0 || static_cast<size_t>(index) >= FList.size())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FList[static_cast<size_t>(index)];
}

TCustomLinkedItem* TCustomHashTrie::Locate(std::string_view key, uint32_t h) const
{
    const uint32_t fullHash = h;
    const TCustomTreeItem* node = FRoot.get();
    for (;;) {
        const TCustomItem* slot = node->Slots[h & 0xFF];
        if (!slot)
            return nullptr;
        if (slot->Kind == TCustomItem::TreeKind) {
            node = static_cast<const TCustomTreeItem*>(slot);
            h = RotateRight(h, 8);
            continue;
        }
        for (auto* item = const_cast<TCustomLinkedItem*>(static_cast<const TCustomLinkedItem*>(slot)); item;
             item = item->Next)
            if (item->Hash == fullHash && SameKey(item->Key, key))
                return item;
        return nullptr;
    }
}

void* TCustomHashTrie::FindKey(std::string_view key)
{
    if (FLastValue && SameKey(key, FLastKey))
        return FLastValue;
    TCustomLinkedItem* item = Locate(key, HashOf(key));
    if (!item || !item->Value)
        return nullptr;
    FLastKey.assign(key.data(), key.size());
    FLastValue = item->Value;
    return item->Value;
}

void TCustomHashTrie::AddKey(std::string_view key, void* value)
{
    const uint32_t h = HashOf(key);
    // Presence, not the value, decides: a key stored with an empty value is still a duplicate,
    // so that Count and the list never hold one key twice.
    if (Locate(key, h))
        throw EAssertionFailed("重复的关键字 [" + std::string(key) + "]");
    std::string copy(key);
    ++FCount;
    InsertIntoNode(FRoot.get(), std::move(copy), h, value, h);
    if (FKeepList)
        FList.push_back(value);
}

void TCustomHashTrie::InsertIntoNode(TCustomTreeItem* node, std::string key, uint32_t fullHash, void* value,
                                     uint32_t h)
{
    for (;;) {
        TCustomItem*& slot = node->Slots[h & 0xFF];
        if (!slot) {
            slot = new TCustomLinkedItem(std::move(key), fullHash, value, nullptr);
            return;
        }
        if (slot->Kind == TCustomItem::TreeKind) {
            node = static_cast<TCustomTreeItem*>(slot);
            h = RotateRight(h, 8);
            continue;
        }
        auto* head = static_cast<TCustomLinkedItem*>(slot);
        int walked = 0;
        for (TCustomLinkedItem* item = head; item; item = item->Next, ++walked) {
            if (item->Hash == fullHash && SameKey(item->Key, key)) {
                item->Value = value; // the earlier value is not released
                return;
            }
        }
        if (walked < MaxChainLength || node->Level >= DeepestLevel) {
            slot = new TCustomLinkedItem(std::move(key), fullHash, value, head);
            return;
        }
        // The chain is full: move it, and the new item, one level down. Each item's place there
        // comes from its key's hash, rotated for the child's level.
        auto* child = new TCustomTreeItem(this, node->Level + 1);
        const unsigned childShift = 8u * static_cast<unsigned>(child->Level);
        for (TCustomLinkedItem* item = head; item; item = item->Next) {
            const uint32_t itemHash = HashOf(item->Key);
            InsertIntoNode(child, std::move(item->Key), itemHash, item->Value, RotateRight(itemHash, childShift));
        }
        InsertIntoNode(child, std::move(key), fullHash, value, RotateRight(h, 8));
        delete head;
        slot = child;
        return;
    }
}

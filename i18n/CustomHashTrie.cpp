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
    for (TSlot& slot : Slots) {
        if (slot.IsEmpty())
            continue;
        if (slot.IsTree()) {
            delete slot.Tree();
        } else {
            TCustomLinkedItem* head = slot.Chain();
            for (TCustomLinkedItem* item = head; item; item = item->Next) {
                try {
                    Owner->DestroyItem(item->Key, item->Value);
                } catch (...) {
                    // One value that fails to go away must not keep the others alive.
                }
            }
            delete head;
        }
        slot.SetEmpty();
    }
}

void TCustomTreeItem::DropAll()
{
    for (TSlot& slot : Slots) {
        if (slot.IsEmpty())
            continue;
        if (slot.IsTree()) {
            TCustomTreeItem* child = slot.Tree();
            child->DropAll();
            delete child;
        } else {
            delete slot.Chain();
        }
        slot.SetEmpty();
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
    FLast = nullptr;
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
        const TSlot& slot = node->Slots[h & 0xFF];
        if (slot.IsTree()) {
            node = slot.Tree();
            h = RotateRight(h, 8);
            continue;
        }
        for (TCustomLinkedItem* item = slot.Chain(); item; item = item->Next)
            if (item->Hash == fullHash && SameKey(item->Key, key))
                return item;
        return nullptr;
    }
}

void* TCustomHashTrie::FindKey(std::string_view key)
{
    if (FLast && FLast->Value && SameKey(key, FLast->Key))
        return FLast->Value;
    return FindKeyByHash(key);
}

void* TCustomHashTrie::FindKeyByHash(std::string_view key)
{
    TCustomLinkedItem* item = Locate(key, HashOf(key));
    if (!item || !item->Value)
        return nullptr;
    FLast = item;
    return item->Value;
}

void TCustomHashTrie::AddKey(std::string_view key, void* value)
{
    const uint32_t h = HashOf(key);
    // Presence, not the value, decides: a key stored with an empty value is still a duplicate,
    // so that Count and the list never hold one key twice.
    if (Locate(key, h))
        throw EAssertionFailed("重复的关键字 [" + std::string(key) + "]");
    auto* item = new TCustomLinkedItem(std::string(key), h, value, nullptr);
    ++FCount;
    InsertIntoNode(FRoot.get(), item, h);
    if (FKeepList)
        FList.push_back(value);
}

void TCustomHashTrie::InsertIntoNode(TCustomTreeItem* node, TCustomLinkedItem* item, uint32_t h)
{
    for (;;) {
        TSlot& slot = node->Slots[h & 0xFF];
        if (slot.IsEmpty()) {
            item->Next = nullptr;
            slot.SetChain(item);
            return;
        }
        if (slot.IsTree()) {
            node = slot.Tree();
            h = RotateRight(h, 8);
            continue;
        }
        TCustomLinkedItem* head = slot.Chain();
        int walked = 0;
        for (TCustomLinkedItem* other = head; other; other = other->Next, ++walked) {
            if (other->Hash == item->Hash && SameKey(other->Key, item->Key)) {
                other->Value = item->Value; // the earlier value is not released
                item->Next = nullptr;
                delete item;
                return;
            }
        }
        if (walked < MaxChainLength || node->Level >= DeepestLevel) {
            item->Next = head;
            slot.SetChain(item);
            return;
        }
        // The chain is full: move its items, and the new one, one level down. Each item's place
        // there comes from its key's hash, rotated for the child's level.
        auto* child = new TCustomTreeItem(this, node->Level + 1);
        const unsigned childShift = 8u * static_cast<unsigned>(child->Level);
        slot.SetTree(child);
        for (TCustomLinkedItem* moving = head; moving;) {
            TCustomLinkedItem* next = moving->Next;
            InsertIntoNode(child, moving, RotateRight(HashOf(moving->Key), childShift));
            moving = next;
        }
        InsertIntoNode(child, item, RotateRight(h, 8));
        return;
    }
}

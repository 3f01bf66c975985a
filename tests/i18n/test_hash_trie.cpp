// The string hash trie: its hash, its node splitting, its bound for equal hashes, its list and
// remembered lookup, and a differential run against std::unordered_map.
#include "i18n/StringHashTrie.h"
#include "i18n/TrieErrors.h"

#include <QTest>

#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// A value that counts its own destruction, for the ownership codes.
struct TCountedObject : TTrieObject {
    explicit TCountedObject(int* destroyed) : Destroyed(destroyed) {}
    ~TCountedObject() override { ++*Destroyed; }
    int* Destroyed;
};

// A trie on the generic base whose hash the test chooses, and which counts what the base asks of it.
class TProbeTrie : public TCustomHashTrie {
public:
    explicit TProbeTrie(std::function<uint32_t(std::string_view)> hash) : TCustomHashTrie(true), Hash(std::move(hash)) {}
    ~TProbeTrie() override { Clear(); }
    void Add(std::string_view key, void* value) { AddKey(key, value); }
    void* Find(std::string_view key) { return FindKey(key); }

    uint32_t HashOf(std::string_view key) const override
    {
        ++HashCalls;
        return Hash(key);
    }
    void DestroyItem(std::string& key, void*& value) override
    {
        Released.push_back(key);
        key.clear();
        value = nullptr;
        if (Released.back() == ThrowOn)
            throw std::runtime_error("release failed");
    }
    bool SameKey(std::string_view a, std::string_view b) const override { return a == b; }

    std::function<uint32_t(std::string_view)> Hash;
    mutable int HashCalls = 0;
    std::vector<std::string> Released;
    std::string ThrowOn;
};

// The number of items in the chain of a slot, or -1 when the slot holds a node or nothing.
int ChainLength(const TCustomItem* slot)
{
    if (!slot || slot->Kind != TCustomItem::LinkedKind)
        return -1;
    int n = 0;
    for (auto* item = static_cast<const TCustomLinkedItem*>(slot); item; item = item->Next)
        ++n;
    return n;
}

// The deepest node level of the trie, and the longest chain anywhere.
void Measure(const TCustomTreeItem& node, int& deepest, int& longest)
{
    deepest = std::max(deepest, int(node.Level));
    for (const TSlot& s : node.Slots) {
        const TCustomItem* slot = s.Item();
        if (!slot)
            continue;
        if (slot->Kind == TCustomItem::TreeKind)
            Measure(*static_cast<const TCustomTreeItem*>(slot), deepest, longest);
        else
            longest = std::max(longest, ChainLength(slot));
    }
}

// Keys whose text hashes are all equal: 131·'A' + 0xC8 = 131·'B' + 'E', so any sequence of the two
// blocks "A\xC8" and "BE" of the same length hashes alike.
std::vector<std::string> EqualHashKeys(int blocks)
{
    std::vector<std::string> keys;
    for (int bits = 0; bits < (1 << blocks); ++bits) {
        std::string key;
        for (int b = 0; b < blocks; ++b)
            key += (bits >> b & 1) ? std::string("BE") : std::string("A\xC8");
        keys.push_back(key);
    }
    return keys;
}

void* Tag(intptr_t n) { return reinterpret_cast<void*>(n); }

} // namespace

class TestHashTrie : public QObject {
    Q_OBJECT
private slots:
    void textHash_data();
    void textHash();
    void foldedHash();
    void fullChainSplitsIntoLevelOne();
    void equalHashesChainAtTheDeepestLevel();
    void duplicateAddIsRefused();
    void rememberedLookup();
    void clearForgetsEverything();
    void itemFollowsInsertionOrder();
    void caseInsensitiveMode();
    void numberKeys();
    void valueOwnership();
    void releaseErrorsAreSwallowedOneByOne();
    void differentialAgainstUnorderedMap();
};

void TestHashTrie::textHash_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<quint32>("hash");
    QTest::newRow("empty text hashes to 0") << QByteArray() << 0u;
    QTest::newRow("one letter a") << QByteArray("a") << 97u;
    QTest::newRow("ab is 97*131+98") << QByteArray("ab") << 12805u;
    QTest::newRow("bytes above 127 count unsigned") << QByteArray("\xff") << 255u;
    // Reference in 64 bits, reduced to 32 bits and masked to 31 at the end.
    quint64 h = 0;
    const QByteArray longText("Please Input The Low Battery Value More than 10!");
    for (char c : longText)
        h = (h * 131 + static_cast<unsigned char>(c)) & 0xFFFFFFFFu;
    QTest::newRow("long text wraps in 32 bits and drops bit 31") << longText << quint32(h & 0x7FFFFFFF);
}

void TestHashTrie::textHash()
{
    QFETCH(QByteArray, text);
    QFETCH(quint32, hash);
    QCOMPARE(TextHash(std::string_view(text.constData(), size_t(text.size()))), hash);
}

void TestHashTrie::foldedHash()
{
    // The hash is computed several bytes at a time: every length and every byte value agrees with
    // the byte-after-byte definition.
    std::mt19937 random(7);
    for (int length = 0; length <= 70; ++length) {
        std::string text;
        for (int i = 0; i < length; ++i)
            text += char(random() & 0xFF);
        uint32_t h = 0;
        for (char c : text)
            h = h * 131u + static_cast<unsigned char>(c);
        QCOMPARE(TextHash(text), h & 0x7FFFFFFFu);
    }
    QCOMPARE(TextHash(std::string(64, '\xff')), [] {
        uint32_t h = 0;
        for (int i = 0; i < 64; ++i)
            h = h * 131u + 255u;
        return h & 0x7FFFFFFFu;
    }());

    // Folded: all letters lower case, then the first character upper case.
    QCOMPARE(FoldedTextHash("read"), TextHash("Read"));
    QCOMPARE(FoldedTextHash("READ"), TextHash("Read"));
    QCOMPARE(FoldedTextHash("rEaD"), TextHash("Read"));
    QCOMPARE(FoldedTextHash("1ab"), TextHash("1ab"));
    QCOMPARE(FoldedTextHash(""), 0u);
    // Bytes outside ASCII are not letters here and stay as they are.
    QCOMPARE(FoldedTextHash("\xc3\x89t\xc3\xa9"), TextHash("\xc3\x89t\xc3\xa9"));
}

void TestHashTrie::fullChainSplitsIntoLevelOne()
{
    // Eight keys whose hashes share bits 0-7 and differ in bits 8-15.
    std::map<uint32_t, std::map<uint32_t, std::string>> byLow;
    std::vector<std::string> keys;
    uint32_t low = 0;
    for (int i = 0; keys.empty(); ++i) {
        const std::string key = "k" + std::to_string(i);
        const uint32_t h = TextHash(key);
        auto& group = byLow[h & 0xFF];
        group.emplace((h >> 8) & 0xFF, key);
        if (group.size() == 8) {
            low = h & 0xFF;
            for (const auto& [bits, k] : group)
                keys.push_back(k);
        }
    }

    TStringHashTrie trie(true, true, TStringHashTrie::OwnsNothing);
    for (int i = 0; i < 7; ++i)
        trie.Add(keys[i], Tag(i + 1));
    QCOMPARE(ChainLength(trie.Root().Slots[low].Item()), 7);

    trie.Add(keys[7], Tag(8));
    const TCustomItem* slot = trie.Root().Slots[low].Item();
    QVERIFY(slot);
    QCOMPARE(int(slot->Kind), int(TCustomItem::TreeKind));
    QVERIFY(trie.Root().Slots[low].IsTree());
    const auto* child = static_cast<const TCustomTreeItem*>(slot);
    QCOMPARE(child->Level, 1);
    int held = 0;
    for (const TSlot& s : child->Slots)
        if (!s.IsEmpty()) {
            QVERIFY(!s.IsTree());
            QCOMPARE(ChainLength(s.Item()), 1); // bits 8-15 differ: one key per slot
            ++held;
        }
    QCOMPARE(held, 8);
    for (int i = 0; i < 8; ++i) {
        QVERIFY(!child->Slots[(TextHash(keys[i]) >> 8) & 0xFF].IsEmpty());
        QCOMPARE(trie.Find(keys[i]), Tag(i + 1));
    }
    QCOMPARE(trie.Count(), 8);
}

void TestHashTrie::equalHashesChainAtTheDeepestLevel()
{
    const std::vector<std::string> keys = EqualHashKeys(6); // 64 keys, one hash
    const uint32_t h = TextHash(keys.front());
    for (const std::string& k : keys)
        QCOMPARE(TextHash(k), h);

    TStringHashTrie trie(true, true, TStringHashTrie::OwnsNothing);
    for (size_t i = 0; i < keys.size(); ++i)
        trie.Add(keys[i], Tag(intptr_t(i) + 1));
    QCOMPARE(trie.Count(), 64);

    int deepest = 0, longest = 0;
    Measure(trie.Root(), deepest, longest);
    QCOMPARE(deepest, TCustomHashTrie::DeepestLevel);
    QCOMPARE(longest, 64); // one chain: equal hashes cannot be separated
    for (size_t i = 0; i < keys.size(); ++i)
        QCOMPARE(trie.Find(keys[i]), Tag(intptr_t(i) + 1));
    QCOMPARE(trie.Find(std::string("A\xC8") + "BE"), nullptr); // same hash family, other length

    // Generic base with a constant hash: no level deeper than 3, whatever the count.
    TProbeTrie constant([](std::string_view) { return 0x12345678u; });
    for (int i = 0; i < 1000; ++i)
        constant.Add("key" + std::to_string(i), Tag(i + 1));
    deepest = 0;
    longest = 0;
    Measure(constant.Root(), deepest, longest);
    QCOMPARE(deepest, 3);
    QCOMPARE(longest, 1000);
    QCOMPARE(constant.Find("key999"), Tag(1000));
    QCOMPARE(constant.Find("key0"), Tag(1));
}

void TestHashTrie::duplicateAddIsRefused()
{
    TStringHashTrie trie(true, true, TStringHashTrie::OwnsNothing);
    trie.Add("Read", Tag(1));
    trie.Add("Write", Tag(2));
    try {
        trie.Add("Read", Tag(3));
        QFAIL("a duplicate key was accepted");
    } catch (const EAssertionFailed& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("重复的关键字 [Read]"));
    }
    QCOMPARE(trie.Count(), 2);
    QCOMPARE(trie.Find("Read"), Tag(1));
    QVERIFY_THROWS_EXCEPTION(EListError, trie.Item(2));

    // A key stored with an empty value is present all the same.
    trie.Add("nothing", nullptr);
    QVERIFY_THROWS_EXCEPTION(EAssertionFailed, trie.Add("nothing", Tag(4)));
    QCOMPARE(trie.Count(), 3);
}

void TestHashTrie::rememberedLookup()
{
    TProbeTrie trie(&TextHash);
    trie.Add("Read", Tag(1));
    trie.Add("Write", Tag(2));

    trie.HashCalls = 0;
    QCOMPARE(trie.Find("Read"), Tag(1));
    QCOMPARE(trie.HashCalls, 1);
    QCOMPARE(trie.Find("Read"), Tag(1));
    QCOMPARE(trie.HashCalls, 1); // the remembered lookup: no hash
    QCOMPARE(trie.Find("absent"), nullptr);
    QCOMPARE(trie.HashCalls, 2);
    QCOMPARE(trie.Find("Read"), Tag(1));
    QCOMPARE(trie.HashCalls, 2); // an absent key left the remembered lookup as it was
    QCOMPARE(trie.Find("Write"), Tag(2));
    QCOMPARE(trie.HashCalls, 3);
    QCOMPARE(trie.Find("Read"), Tag(1));
    QCOMPARE(trie.HashCalls, 4);
}

void TestHashTrie::clearForgetsEverything()
{
    TStringHashTrie trie(true, true, TStringHashTrie::OwnsNothing);
    for (int i = 0; i < 300; ++i)
        trie.AddInt(Tag(i + 1), i);
    QCOMPARE(trie.FindInt(42), Tag(43)); // now remembered
    trie.Clear();
    QCOMPARE(trie.Count(), 0);
    QCOMPARE(trie.FindInt(42), nullptr);
    QCOMPARE(trie.Find("42"), nullptr);
    QVERIFY_THROWS_EXCEPTION(EListError, trie.Item(0));
    for (const TSlot& slot : trie.Root().Slots)
        QVERIFY(slot.IsEmpty());

    // The table is usable again, and its list starts afresh.
    trie.AddInt(Tag(7), 42);
    QCOMPARE(trie.Count(), 1);
    QCOMPARE(trie.Item(0), Tag(7));
    QCOMPARE(trie.FindInt(42), Tag(7));
}

void TestHashTrie::itemFollowsInsertionOrder()
{
    TStringHashTrie trie(true, true, TStringHashTrie::OwnsNothing);
    std::vector<std::string> keys;
    for (int i = 0; i < 2000; ++i)
        keys.push_back("text " + std::to_string((i * 7919) % 2000));
    for (size_t i = 0; i < keys.size(); ++i)
        trie.Add(keys[i], Tag(intptr_t(i) + 1));
    for (int i = 0; i < 2000; ++i)
        QCOMPARE(trie.Item(i), Tag(i + 1));
    QVERIFY_THROWS_EXCEPTION(EListError, trie.Item(-1));
    QVERIFY_THROWS_EXCEPTION(EListError, trie.Item(2000));

    TStringHashTrie noList(true, false, TStringHashTrie::OwnsNothing);
    noList.Add("a", Tag(1));
    try {
        noList.Item(0);
        QFAIL("Item worked without the list option");
    } catch (const EAssertionFailed& e) {
        QCOMPARE(QByteArray(e.what()), QByteArray("no list support"));
    }
}

void TestHashTrie::caseInsensitiveMode()
{
    TStringHashTrie folded(false, true, TStringHashTrie::OwnsNothing);
    folded.Add("Read", Tag(1));
    QCOMPARE(folded.Find("READ"), Tag(1));
    QCOMPARE(folded.Find("read"), Tag(1));
    QCOMPARE(folded.Find("rEAD"), Tag(1)); // also through the remembered lookup
    QCOMPARE(folded.Find("Reads"), nullptr);
    QVERIFY_THROWS_EXCEPTION(EAssertionFailed, folded.Add("rEaD", Tag(2)));
    QCOMPARE(folded.Count(), 1);
    // Keys differing in a byte outside ASCII are different keys.
    folded.Add("\xc3\xa9t\xc3\xa9", Tag(3));
    folded.Add("\xc3\x89t\xc3\xa9", Tag(4));
    QCOMPARE(folded.Find("\xc3\xa9T\xc3\xa9"), Tag(3));
    QCOMPARE(folded.Find("\xc3\x89T\xc3\xa9"), Tag(4));
    folded.Add("", Tag(5));
    QCOMPARE(folded.Find(""), Tag(5));
    // Many keys that differ only in case beyond the first letter, through splits.
    for (int i = 0; i < 500; ++i)
        folded.Add("Key" + std::to_string(i), Tag(100 + i));
    for (int i = 0; i < 500; ++i)
        QCOMPARE(folded.Find("kEY" + std::to_string(i)), Tag(100 + i));

    TStringHashTrie exact(true, true, TStringHashTrie::OwnsNothing);
    exact.Add("Read", Tag(1));
    exact.Add("read", Tag(2));
    QCOMPARE(exact.Find("Read"), Tag(1));
    QCOMPARE(exact.Find("read"), Tag(2));
    QCOMPARE(exact.Find("READ"), nullptr);
}

void TestHashTrie::numberKeys()
{
    TStringHashTrie trie(true, true, TStringHashTrie::OwnsNothing);
    trie.AddInt(Tag(1), 7);
    trie.AddInt(Tag(2), -5);
    trie.AddInt(Tag(3), INT64_MAX);
    trie.AddInt(Tag(4), 0);
    QCOMPARE(trie.Find("7"), Tag(1));
    QCOMPARE(trie.Find("007"), nullptr); // the decimal text has no leading zeros
    QCOMPARE(trie.Find("-5"), Tag(2));
    QCOMPARE(trie.Find("9223372036854775807"), Tag(3));
    QCOMPARE(trie.FindInt(0), Tag(4));
    QCOMPARE(trie.FindInt(8), nullptr);
    QVERIFY_THROWS_EXCEPTION(EAssertionFailed, trie.Add("7", Tag(5)));
}

void TestHashTrie::valueOwnership()
{
    int destroyed = 0;
    {
        TStringHashTrie objects(true, false, TStringHashTrie::OwnsObjects);
        for (int i = 0; i < 20; ++i)
            objects.AddObject("o" + std::to_string(i), new TCountedObject(&destroyed));
        objects.Clear();
        QCOMPARE(destroyed, 20);
        objects.AddObject("again", new TCountedObject(&destroyed));
    }
    QCOMPARE(destroyed, 21); // destroying the table releases what it still holds

    {
        // Plain memory blocks: freed with their items (AddressSanitizer builds see a leak otherwise).
        TStringHashTrie blocks(true, false, TStringHashTrie::OwnsMemory);
        for (int i = 0; i < 20; ++i)
            blocks.Add("b" + std::to_string(i), std::malloc(64));
    }

    destroyed = 0;
    std::vector<std::unique_ptr<TCountedObject>> kept;
    {
        TStringHashTrie borrowed(true, false, 7); // any other code: not owned
        for (int i = 0; i < 5; ++i) {
            kept.emplace_back(new TCountedObject(&destroyed));
            borrowed.AddObject("k" + std::to_string(i), kept.back().get());
        }
        QCOMPARE(TStringHashTrie::AsObject<TCountedObject>(borrowed.Find("k3")), kept[3].get());
    }
    QCOMPARE(destroyed, 0);
}

void TestHashTrie::releaseErrorsAreSwallowedOneByOne()
{
    TProbeTrie trie([](std::string_view) { return 5u; }); // one slot, one chain
    trie.Add("a", Tag(1));
    trie.Add("b", Tag(2));
    trie.Add("c", Tag(3));
    trie.ThrowOn = "b";
    trie.Clear();
    QCOMPARE(trie.Released.size(), size_t(3)); // head to tail, the failing one included
    QCOMPARE(trie.Released.front(), std::string("c"));
    QCOMPARE(trie.Count(), 0);
    QCOMPARE(trie.Find("a"), nullptr);
}

void TestHashTrie::differentialAgainstUnorderedMap()
{
    // A key pool with ordinary texts, numbers and a family of equal-hash keys, so that adds meet
    // duplicates, chains split at every level and one chain outgrows seven.
    std::vector<std::string> pool;
    for (int i = 0; i < 6000; ++i)
        pool.push_back("text " + std::to_string(i));
    for (int i = 0; i < 2000; ++i)
        pool.push_back(std::to_string(i));
    for (const std::string& k : EqualHashKeys(5))
        pool.push_back(k);
    pool.push_back(std::string());

    for (const bool caseSensitive : {true, false}) {
        std::mt19937 random(caseSensitive ? 20240131u : 77u);
        TStringHashTrie trie(caseSensitive, true, TStringHashTrie::OwnsNothing);
        std::unordered_map<std::string, intptr_t> reference;
        std::vector<intptr_t> order;
        const auto norm = [caseSensitive](std::string k) {
            if (!caseSensitive)
                for (char& c : k)
                    c = char(std::toupper(static_cast<unsigned char>(c)) & 0xFF);
            return k;
        };
        int mismatches = 0;
        intptr_t next = 1;
        for (int op = 0; op < 100000; ++op) {
            std::string key = pool[random() % pool.size()];
            if (!caseSensitive && (random() & 1))
                for (char& c : key)
                    if (c >= 'a' && c <= 'z')
                        c = char(c - 32);
            const unsigned kind = random() % 1000;
            if (kind < 480) {
                const bool present = reference.count(norm(key)) != 0;
                bool refused = false;
                try {
                    trie.Add(key, Tag(next));
                } catch (const EAssertionFailed&) {
                    refused = true;
                }
                mismatches += refused != present;
                if (!present) {
                    reference.emplace(norm(key), next);
                    order.push_back(next);
                }
                ++next;
            } else if (kind < 990) {
                const auto it = reference.find(norm(key));
                mismatches += trie.Find(key) != (it == reference.end() ? nullptr : Tag(it->second));
            } else if (kind < 999) {
                if (!order.empty()) {
                    const size_t i = random() % order.size();
                    mismatches += trie.Item(int32_t(i)) != Tag(order[i]);
                }
            } else {
                trie.Clear();
                reference.clear();
                order.clear();
            }
            mismatches += trie.Count() != int32_t(reference.size());
            if (mismatches) {
                qWarning("first mismatch at operation %d (case-sensitive %d)", op, int(caseSensitive));
                break;
            }
        }
        QCOMPARE(mismatches, 0);
        for (const auto& [key, value] : reference)
            QCOMPARE(trie.Find(key), Tag(value));
    }
}

QTEST_GUILESS_MAIN(TestHashTrie)
#include "test_hash_trie.moc"

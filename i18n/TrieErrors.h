#pragma once

#include <stdexcept>
#include <string>

// A programming error found by the hash trie: a key added twice, or the insertion-order list asked
// for when the table keeps none. Raised, never ignored, so that the faulty caller is found in testing.
class EAssertionFailed : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// An index outside the insertion-order list.
class EListError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

// SPDX-License-Identifier: Apache-2.0
#include "tests/he2/ReferenceCodec.h"

#include <cstdio>
#include <deque>
#include <list>
#include <memory>
#include <ostream>
#include <vector>

namespace he2_reference {

Outcome decodeError(int n) {
    static const char* const descriptions[] = {
        "The data either was not compressed with HE2 or is corrupt",
        "The header is corrupt",
        "Expecting more bytes in data stream",
        "The header (lookup table) is corrupt",
        "Found extra bytes at end of data stream",
        "Data corrupt because check sums do not match",
    };
    return {false, {}, static_cast<std::int32_t>(0x80040000u), "HuffmanDecode()", descriptions[n - 1]};
}

void PrintTo(const Outcome& outcome, std::ostream* os) {
    if (!outcome.decoded) {
        *os << "error " << outcome.number << " from " << outcome.source << ": " << outcome.description;
        return;
    }
    *os << outcome.text.size() << " bytes \"";
    for (std::size_t i = 0; i < outcome.text.size() && i < 64; ++i) {
        const auto c = static_cast<unsigned char>(outcome.text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"') {
            *os << static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            *os << hex;
        }
    }
    *os << (outcome.text.size() > 64 ? "\"..." : "\"");
}

namespace {

// The six fields of a coding tree node, in their order.
struct Node {
    double weight = 0;
    bool leaf = false;
    unsigned char symbol = 0;
    std::vector<int> code;
    Node* one = nullptr;
    Node* zero = nullptr;
};

void insertByWeight(std::list<Node*>& list, Node* node) {
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->weight <= node->weight) {
            list.insert(it, node);
            return;
        }
    }
    list.push_back(node);
}

void assignCodes(Node* node, std::vector<int> code) {
    if (node->leaf) {
        node->code = code;
        return;
    }
    if (node->one) {
        code.push_back(1);
        assignCodes(node->one, code);
        code.pop_back();
    }
    if (node->zero) {
        code.push_back(0);
        assignCodes(node->zero, code);
    }
}

}  // namespace

std::string encode(std::string_view text, bool force) {
    if (text.empty()) return "HE0\r";
    std::uint32_t counts[256] = {};
    for (unsigned char c : text) ++counts[c];

    std::deque<Node> pool;
    Node* leaves[256] = {};
    std::list<Node*> list;
    for (int b = 0; b < 256; ++b) {
        if (counts[b] == 0) continue;
        Node& leaf = pool.emplace_back();
        leaf.weight = static_cast<double>(counts[b]) / static_cast<double>(text.size());
        leaf.leaf = true;
        leaf.symbol = static_cast<unsigned char>(b);
        leaves[b] = &leaf;
        insertByWeight(list, &leaf);
    }
    if (list.size() == 1) {
        Node& inner = pool.emplace_back();
        inner.one = list.front();
        inner.weight = 1;
        list.front() = &inner;
    }
    while (list.size() >= 2) {
        Node& inner = pool.emplace_back();
        inner.zero = list.back();
        list.pop_back();
        inner.one = list.back();
        list.pop_back();
        inner.weight = inner.zero->weight + inner.one->weight;
        insertByWeight(list, &inner);
    }
    assignCodes(list.front(), {});

    std::string table;
    for (int b = 0; b < 256; ++b) {
        if (!leaves[b]) continue;
        const std::vector<int>& code = leaves[b]->code;
        table += static_cast<char>(b);
        table += static_cast<char>(code.size());
        for (std::size_t i = 0; i < code.size(); i += 8) {
            unsigned byte = 0;
            for (std::size_t k = 0; k < 8 && i + k < code.size(); ++k) byte |= static_cast<unsigned>(code[i + k]) << k;
            table += static_cast<char>(byte);
        }
    }
    unsigned char check = 0;
    for (unsigned char c : text) check ^= c;
    std::string result = "HE2\r" + std::to_string(table.size()) + "\r" + table + static_cast<char>(check) +
                         std::to_string(text.size()) + "\r";
    unsigned current = 0;
    int k = 0;
    for (unsigned char c : text) {
        for (int bit : leaves[c]->code) {
            if (bit == 1) current |= 1u << k;
            if (++k == 8) {
                result += static_cast<char>(current);
                current = 0;
                k = 0;
            }
        }
    }
    if (k > 0) result += static_cast<char>(current);
    if (result.size() > text.size() && !force) return "HE0\r" + std::string(text);
    return result;
}

namespace {

// The decoder's tree owns its nodes.
struct TreeNode {
    bool leaf = false;
    unsigned char symbol = 0;
    std::unique_ptr<TreeNode> one;
    std::unique_ptr<TreeNode> zero;
};

[[noreturn]] void fail(int n) {
    const Outcome e = decodeError(n);
    throw platform::com::Error(e.number, e.source, e.description);
}

// The one character at `at`; reading past the end is the host's invalid-argument error.
unsigned char characterAt(const std::string& s, std::size_t at) {
    if (at >= s.size()) throw platform::com::Error(5, "Velpack", "Invalid procedure call or argument");
    return static_cast<unsigned char>(s[at]);
}

// The documented header numbers: blanks around, an optional sign, decimal digits, 0 to 2^31 - 1.
bool toLength(const std::string& text, long long& value) {
    std::size_t i = 0, end = text.size();
    while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == end) return false;
    value = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483647LL) return false;
    }
    return !(negative && value != 0);
}

std::string decodeOrThrow(std::string s) {
    if (s.substr(0, 4) == "HE0\r") return s.substr(4);
    if (s.substr(0, 4) != "HE2\r") fail(1);
    s = s.substr(4);
    std::size_t cr = s.find('\r');
    if (cr == std::string::npos) fail(1);
    long long tableLength = 0;
    if (!toLength(s.substr(0, cr), tableLength)) fail(2);
    s = s.substr(cr + 1);
    const std::string table = s.substr(0, static_cast<std::size_t>(tableLength));
    s = s.substr(table.size());

    TreeNode root;
    std::size_t at = 0;
    while (at < table.size()) {
        const unsigned char symbol = characterAt(table, at++);
        const unsigned n = characterAt(table, at++);
        TreeNode* node = &root;
        unsigned char byte = 0;
        for (unsigned i = 0; i < n; ++i) {
            if (i % 8 == 0) byte = characterAt(table, at++);
            const int bit = (byte >> (i % 8)) & 1;
            std::unique_ptr<TreeNode>& child = bit ? node->one : node->zero;
            if (!child) child = std::make_unique<TreeNode>();
            node = child.get();
        }
        node->leaf = true;
        node->symbol = symbol;
    }

    const unsigned char check = characterAt(s, 0);
    s = s.substr(1);
    cr = s.find('\r');
    if (cr == std::string::npos) fail(2);
    long long sourceLength = 0;
    if (!toLength(s.substr(0, cr), sourceLength)) fail(2);
    const std::string data = s.substr(cr + 1);

    std::string out;
    std::size_t next = 0;  // the next data byte to read
    int bitPosition = 8;   // 8: the current byte is used up
    unsigned char current = 0;
    long long count = 0;
    const TreeNode* node = &root;
    while (count < sourceLength) {
        if (bitPosition == 8) {
            if (next >= data.size()) fail(3);
            current = static_cast<unsigned char>(data[next++]);
            bitPosition = 0;
        }
        const int bit = (current >> bitPosition++) & 1;
        const TreeNode* child = bit ? node->one.get() : node->zero.get();
        if (!child) fail(4);
        if (child->leaf) {
            out += static_cast<char>(child->symbol);
            ++count;
            node = &root;
        } else {
            node = child;
        }
    }
    if (next < data.size()) fail(5);
    unsigned char x = 0;
    for (unsigned char c : out) x ^= c;
    if (static_cast<long long>(out.size()) != sourceLength || x != check) fail(6);
    return out;
}

}  // namespace

Outcome decode(std::string_view encoded) {
    return outcomeOf([](std::string_view s) { return decodeOrThrow(std::string(s)); }, encoded);
}

}  // namespace he2_reference

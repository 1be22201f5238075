// SPDX-License-Identifier: Apache-2.0
#include "platform/registry/RegFileParts.h"
#include "platform/support/TextEncoding.h"

namespace platform::registry {

namespace {

// Text that the store holds outside its UTF-8 contract is written as Windows-1252 text, the
// way such bytes from outside are read everywhere else.
std::string asUtf8(std::string_view text) {
    return isValidUtf8(text) ? std::string(text) : windows1252ToUtf8(text);
}

bool fitsOnALine(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string escaped(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

class Writer {
public:
    explicit Writer(RegFormat format) : format_(format) {
        text_ = format == RegFormat::Version5 ? kRegHeader5 : kRegHeader4;
        text_ += "\r\n\r\n";
    }

    void key(Hive hive, std::string_view storedPath, const std::vector<NamedValue>& values) {
        std::string path = asUtf8(formatFullKeyPath(hive, storedPath));
        if (!fitsOnALine(path)) throw LineError{0, "the key name \"" + excerpt(path) + "\" holds a line break or NUL"};
        text_ += "[" + path + "]\r\n";
        for (const auto& v : values) value(path, v);
        text_ += "\r\n";
        ++keys_;
    }

    std::size_t keys() const { return keys_; }

    std::string finish() && {
        if (format_ == RegFormat::Regedit4) return std::move(text_);
        return "\xFF\xFE" + utf8ToUtf16le(text_);
    }

private:
    void value(const std::string& keyPath, const NamedValue& v) {
        std::string name = asUtf8(v.name);
        if (!fitsOnALine(name))
            throw LineError{0, "a value name under \"" + excerpt(keyPath) + "\" holds a line break or NUL"};
        std::string line = name.empty() ? "@=" : escaped(name) + "=";
        const auto& raw = v.value.raw();
        switch (v.value.type()) {
            case ValueType::String: {
                std::string text = asUtf8(v.value.asString());
                if (fitsOnALine(text)) {
                    text_ += line + escaped(text) + "\r\n";
                    return;
                }
                hex(line, 1, stringBytes(text + '\0'));
                return;
            }
            case ValueType::ExpandString:
                hex(line, 2, stringBytes(asUtf8(v.value.asString()) + '\0'));
                return;
            case ValueType::MultiString: {
                std::string text;
                for (const auto& item : v.value.asStrings()) text += asUtf8(item) + '\0';
                hex(line, 7, stringBytes(text + '\0'));
                return;
            }
            case ValueType::DWord: {
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v.value.asNumber().value_or(0)));
                text_ += line + buf + "\r\n";
                return;
            }
            case ValueType::QWord:
                hex(line, 11, raw);
                return;
            case ValueType::Binary:
                hex(line, 3, raw);
                return;
        }
    }

    std::vector<std::uint8_t> stringBytes(const std::string& utf8) const {
        std::string bytes = format_ == RegFormat::Version5 ? utf8ToUtf16le(utf8) : utf8;
        return {bytes.begin(), bytes.end()};
    }

    // hex:xx,xx,... wrapped before the 80th column as the registry editor wraps it.
    void hex(std::string line, std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
        static constexpr char digits[] = "0123456789abcdef";
        line += type == 3 ? std::string("hex:") : hexTypeText(type) + ":";
        std::size_t column = line.size();
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            std::string item{digits[bytes[k] >> 4], digits[bytes[k] & 15]};
            if (k + 1 < bytes.size()) item += ',';
            if (column + item.size() > 78) {
                line += "\\\r\n  ";
                column = 2;
            }
            line += item;
            column += item.size();
        }
        text_ += line + "\r\n";
    }

    RegFormat format_;
    std::string text_;
    std::size_t keys_ = 0;
};

}  // namespace

std::pair<std::string, std::size_t> writeRegKeys(RegistryStore& store, const std::vector<FullKeyPath>& keys,
                                                 RegFormat format) {
    Writer writer(format);
    // One snapshot: no other writer can change the keys while they are read.
    store.transaction([&] {
        for (const auto& root : keys) {
            auto paths = store.subtree(root.hive, root.path);
            if (paths.empty())
                throw LineError{0, "the key " + formatFullKeyPath(root.hive, root.path) + " does not exist"};
            for (const auto& path : paths) writer.key(root.hive, path, store.values(root.hive, path));
        }
    });
    std::size_t count = writer.keys();
    return {std::move(writer).finish(), count};
}

}  // namespace platform::registry

#include "JsonWriter.h"

#include "Encoding.h"

std::string JsonWriter::escaped(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (size_t i = 0; i < utf8.size();) {
        auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x80) {
            size_t length = utf8CharacterLength(utf8.substr(i));
            if (length > 1 && isValidUtf8(utf8.substr(i, length))) out.append(utf8.substr(i, length));
            else out += "\\ufffd";
            i += length;
            continue;
        }
        switch (byte) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xF];
                } else {
                    out += static_cast<char>(byte);
                }
        }
        ++i;
    }
    out += '"';
    return out;
}

void JsonWriter::newLine() {
    out_ += '\n';
    out_.append(2 * counts_.size(), ' ');
}

void JsonWriter::beforeItem() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (counts_.empty()) return;
    if (counts_.back()++ > 0) out_ += ',';
    newLine();
}

JsonWriter& JsonWriter::open(char bracket) {
    beforeItem();
    out_ += bracket;
    counts_.push_back(0);
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    bool empty = counts_.empty() || counts_.back() == 0;
    if (!counts_.empty()) counts_.pop_back();
    if (!empty) newLine();
    out_ += bracket;
    return *this;
}

JsonWriter& JsonWriter::beginObject() { return open('{'); }
JsonWriter& JsonWriter::endObject() { return close('}'); }
JsonWriter& JsonWriter::beginArray() { return open('['); }
JsonWriter& JsonWriter::endArray() { return close(']'); }

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeItem();
    out_ += escaped(name);
    out_ += ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view utf8) {
    beforeItem();
    out_ += escaped(utf8);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    beforeItem();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    beforeItem();
    out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::decimal(std::string_view digits) {
    beforeItem();
    out_ += digits;
    return *this;
}

JsonWriter& JsonWriter::signedNumber(int64_t value) {
    beforeItem();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::unsignedNumber(uint64_t value) {
    beforeItem();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::field(std::string_view name, const std::vector<std::string>& utf8) {
    key(name).beginArray();
    for (const std::string& item : utf8) string(item);
    return endArray();
}

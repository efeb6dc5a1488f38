#include "dbf/KeyExpression.h"

#include "dbf/EngineMessages.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

}  // namespace

KeyExpression parseKeyExpression(const std::string& expression, const TableHeader& header,
                                 const std::string& path) {
    KeyExpression result;
    std::size_t start = 0;
    while (true) {
        const auto plus = expression.find('+', start);
        const std::string part = text::upperCase1251(
            trimmed(expression.substr(start, plus == std::string::npos ? std::string::npos : plus - start)));
        if (part.empty()) raise("Неверное выражение индекса \""_w + expression + "\": пустая часть.", path);
        int found = -1;
        for (std::size_t i = 0; i < header.fields.size(); ++i)
            if (text::upperCase1251(header.fields[i].name) == part) found = static_cast<int>(i);
        if (found < 0)
            raise("Неверное выражение индекса \""_w + expression + "\": нет поля \""_w + part + "\".", path);
        const FieldDef& field = header.fields[static_cast<std::size_t>(found)];
        if (field.type != 'C')
            raise("Выражение индекса \""_w + expression + "\" не поддерживается: поле \""_w + part +
                      "\" не символьное.",
                  path);
        result.fields.push_back(found);
        result.keyLength += field.width;
        if (!result.text.empty()) result.text += "+";
        result.text += part;
        if (plus == std::string::npos) break;
        start = plus + 1;
    }
    if (result.keyLength > kMaxKeyLength)
        raise("Ключ индекса \""_w + expression + "\" длиннее 100 байт.", path);
    return result;
}

std::string makeKey(const KeyExpression& expression, const TableHeader& header, const char* record) {
    std::string key;
    makeKeyInto(expression, header, record, key);
    return key;
}

void makeKeyInto(const KeyExpression& expression, const TableHeader& header, const char* record,
                 std::string& key) {
    key.clear();
    key.reserve(static_cast<std::size_t>(expression.keyLength));
    for (int index : expression.fields) {
        const auto i = static_cast<std::size_t>(index);
        key.append(record + header.offsets[i], static_cast<std::size_t>(header.fields[i].width));
    }
}

}  // namespace dbf

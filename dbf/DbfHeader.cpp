#include "dbf/DbfHeader.h"

#include <algorithm>
#include <ctime>

#include "dbf/ByteOrder.h"
#include "dbf/DbfFormat.h"
#include "dbf/EngineMessages.h"
#include "platform/LocalTime.h"
#include "text/CodePages.h"

namespace dbf {
namespace {

using namespace format;

std::string descriptorName(const std::string& bytes, std::size_t at) {
    std::string name = bytes.substr(at + kFieldName, kFieldNameSize);
    const auto end = name.find('\0');
    if (end != std::string::npos) name.resize(end);
    // Some writers pad names with blanks instead of NULs.
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

bool sameName(const std::string& a, const std::string& b) {
    return text::upperCase1251(a) == text::upperCase1251(b);
}

void checkDefinition(const FieldDef& f, const std::string& path) {
    if (f.name.empty() || f.name.size() > static_cast<std::size_t>(kMaxFieldNameLength))
        raise("Имя поля должно иметь от 1 до 10 символов: \""_w + f.name + "\".", path);
    for (char c : f.name)
        if (static_cast<unsigned char>(c) <= ' ') raise("Недопустимое имя поля: \""_w + f.name + "\".", path);
    bool ok = false;
    switch (f.type) {
        case 'C':
            ok = f.width >= 1 && f.width <= kMaxCharacterWidth && f.decimals == 0;
            break;
        case 'N':
        case 'F':
            ok = f.width >= 1 && f.width <= kMaxNumericWidth && f.decimals >= 0 &&
                 (f.decimals == 0 || f.decimals <= f.width - 2);
            break;
        case 'D':
            ok = f.width == 8 && f.decimals == 0;
            break;
        case 'L':
            ok = f.width == 1 && f.decimals == 0;
            break;
        default:
            ok = false;
    }
    if (!ok)
        raise("Недопустимое описание поля \""_w + f.name + "\" (тип "_w + std::string(1, f.type) +
                  ", ширина "_w + std::to_string(f.width) + ", дробная часть "_w +
                  std::to_string(f.decimals) + ").",
              path);
}

}  // namespace

std::uint16_t announcedHeaderLength(const std::string& firstBytes) {
    if (firstBytes.size() < kHeaderSize) return 0;
    return readU16(firstBytes, kHeaderLength);
}

TableHeader parseHeader(const std::string& bytes, std::uint64_t fileSize, const std::string& path) {
    if (bytes.size() < kHeaderSize || fileSize < kHeaderSize)
        raise("Файл слишком короткий для таблицы dBASE.", path);
    TableHeader h;
    h.version = readU8(bytes, kHeaderVersion);
    h.year = readU8(bytes, kHeaderUpdateDate);
    h.month = readU8(bytes, kHeaderUpdateDate + 1);
    h.day = readU8(bytes, kHeaderUpdateDate + 2);
    h.recordCount = readU32(bytes, kHeaderRecordCount);
    h.headerLength = readU16(bytes, kHeaderLength);
    h.recordLength = readU16(bytes, kHeaderRecordLength);
    h.productionIndex = readU8(bytes, kHeaderProductionIndex);
    h.languageDriver = readU8(bytes, kHeaderLanguageDriver);

    if (h.headerLength < kHeaderSize + 1 || h.headerLength > bytes.size() || h.headerLength > fileSize)
        raise("Заголовок таблицы повреждён: неверная длина заголовка.", path);
    if (h.recordLength < 1) raise("Заголовок таблицы повреждён: неверная длина записи.", path);

    // Descriptors run until the terminator; writers may leave more bytes after it.
    std::size_t at = kHeaderSize;
    int offset = 1;
    while (true) {
        if (at >= h.headerLength) raise("Заголовок таблицы повреждён: нет конца описаний полей.", path);
        if (static_cast<unsigned char>(bytes[at]) == kHeaderTerminator) break;
        if (at + kFieldDescriptorSize > h.headerLength)
            raise("Заголовок таблицы повреждён: описание поля обрезано.", path);
        FieldDef f;
        f.name = descriptorName(bytes, at);
        f.type = static_cast<char>(text::upperCase1251(bytes[at + kFieldType]));
        f.width = readU8(bytes, at + kFieldWidth);
        f.decimals = readU8(bytes, at + kFieldDecimals);
        if (f.name.empty() || f.width == 0)
            raise("Заголовок таблицы повреждён: пустое имя или ширина поля.", path);
        for (const auto& other : h.fields)
            if (sameName(other.name, f.name))
                raise("Заголовок таблицы повреждён: поле \""_w + f.name + "\" описано дважды.", path);
        h.fields.push_back(f);
        h.offsets.push_back(offset);
        offset += f.width;
        at += kFieldDescriptorSize;
    }
    if (h.fields.empty()) raise("Таблица не содержит полей.", path);
    if (offset != h.recordLength)
        raise("Заголовок таблицы повреждён: длина записи не совпадает с суммой ширин полей.", path);
    const std::uint64_t needed = h.headerLength + static_cast<std::uint64_t>(h.recordCount) * h.recordLength;
    if (needed > fileSize)
        raise("Таблица повреждена: в файле меньше записей, чем указано в заголовке.", path);
    return h;
}

TableHeader makeHeader(const std::vector<FieldDef>& fields, std::uint8_t languageDriver,
                       const std::string& path) {
    if (fields.empty()) raise("Таблица должна иметь хотя бы одно поле.", path);
    if (fields.size() > kMaxFields) raise("Слишком много полей для таблицы dBASE.", path);
    TableHeader h;
    h.version = kVersionDbase;
    h.languageDriver = languageDriver;
    int offset = 1;
    for (const auto& given : fields) {
        FieldDef f = given;
        f.type = static_cast<char>(text::upperCase1251(f.type));
        f.name = text::upperCase1251(f.name);
        checkDefinition(f, path);
        for (const auto& other : h.fields)
            if (sameName(other.name, f.name)) raise("Поле \""_w + f.name + "\" описано дважды.", path);
        h.fields.push_back(f);
        h.offsets.push_back(offset);
        offset += f.width;
    }
    if (offset > 0xFFFF) raise("Запись таблицы слишком длинная.", path);
    h.recordLength = static_cast<std::uint16_t>(offset);
    h.headerLength = static_cast<std::uint16_t>(kHeaderSize + kFieldDescriptorSize * fields.size() + 1);
    stampToday(h);
    return h;
}

std::string encodeHeader(const TableHeader& h) {
    std::string b(h.headerLength, '\0');
    b[kHeaderVersion] = static_cast<char>(h.version);
    b[kHeaderUpdateDate] = static_cast<char>(h.year);
    b[kHeaderUpdateDate + 1] = static_cast<char>(h.month);
    b[kHeaderUpdateDate + 2] = static_cast<char>(h.day);
    writeU32(b, kHeaderRecordCount, h.recordCount);
    writeU16(b, kHeaderLength, h.headerLength);
    writeU16(b, kHeaderRecordLength, h.recordLength);
    b[kHeaderProductionIndex] = static_cast<char>(h.productionIndex);
    b[kHeaderLanguageDriver] = static_cast<char>(h.languageDriver);
    std::size_t at = kHeaderSize;
    for (const auto& f : h.fields) {
        std::copy(f.name.begin(), f.name.end(), b.begin() + static_cast<std::ptrdiff_t>(at + kFieldName));
        b[at + kFieldType] = f.type;
        b[at + kFieldWidth] = static_cast<char>(f.width);
        b[at + kFieldDecimals] = static_cast<char>(f.decimals);
        at += kFieldDescriptorSize;
    }
    b[at] = static_cast<char>(kHeaderTerminator);
    return b;
}

std::string encodeDateAndCount(const TableHeader& h) {
    std::string b(7, '\0');
    b[0] = static_cast<char>(h.year);
    b[1] = static_cast<char>(h.month);
    b[2] = static_cast<char>(h.day);
    std::string count(4, '\0');
    writeU32(count, 0, h.recordCount);
    b.replace(3, 4, count);
    return b;
}

void stampToday(TableHeader& h) {
    const platform::LocalDateTime local = platform::currentLocalTime();
    h.year = static_cast<std::uint8_t>(std::clamp(local.year - 1900, 0, 255));
    h.month = static_cast<std::uint8_t>(local.month);
    h.day = static_cast<std::uint8_t>(local.day);
}

}  // namespace dbf

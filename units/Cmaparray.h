#pragma once
// An ordered map with unique keys that can also be read by position (a keyed array). The
// converter keeps its record-type letters in one, the key-name dictionary its entries.
// Text keys are ordered byte by byte as unsigned values, a prefix first.
#include <cstddef>
#include <iterator>
#include <map>
#include <string>

class CMapArray_Exc {};
class CMapArray_Exc_OutOfRangeByIndex : public CMapArray_Exc {};

namespace units::detail {
// std::string compares with char_traits<char>, whose order is that of unsigned bytes.
template <class K>
struct KeyOrder : std::less<K> {};
}  // namespace units::detail

template <class K, class V>
class CMapArray : public std::map<K, V, units::detail::KeyOrder<K>> {
    using Base = std::map<K, V, units::detail::KeyOrder<K>>;

public:
    CMapArray() = default;
    ~CMapArray() { Clear(); }

    void Clear() { Base::clear(); }

    // False, and the stored value kept, when the key is already present.
    bool Add(K key, V value) { return Base::emplace(std::move(key), std::move(value)).second; }

    // A missing key is added with a default value.
    V& GetByKey(K key) { return Base::operator[](std::move(key)); }

    std::size_t Count() const { return Base::size(); }

    V& GetByIndex(std::size_t position) {
        if (position >= Count()) throw CMapArray_Exc_OutOfRangeByIndex();
        return std::next(Base::begin(), static_cast<std::ptrdiff_t>(position))->second;
    }
    const V& GetByIndex(std::size_t position) const {
        if (position >= Count()) throw CMapArray_Exc_OutOfRangeByIndex();
        return std::next(Base::begin(), static_cast<std::ptrdiff_t>(position))->second;
    }
};

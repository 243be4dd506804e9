#pragma once
// Mutates binary property lists object by object instead of byte by byte: references in arrays,
// sets and dictionaries are pointed elsewhere, containers are made to name one object many times,
// chains of arrays each naming the next twice are appended (a few bytes that expand
// exponentially), the top object and the reference width change, and scalars are mutated in
// place. The list is written again with a sound offset table and trailer, so the reader gets past
// its first checks. Inputs that are no binary list get byte mutations, or become one now and then.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

class BinaryListMutator {
public:
    // Mutates the list in data[0, size) in place; the new size, at most maxSize.
    static std::size_t mutate(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed)
    {
        std::minstd_rand random(seed);
        auto list = parse(data, size);
        if (!list) {
            if (random() % 8 != 0)
                return LLVMFuzzerMutate(data, size, maxSize);
            list = doublingChainList(2 + random() % 6);
        }
        // Byte mutations of a sound list reach the offset table and trailer checks.
        if (random() % 8 == 0)
            return LLVMFuzzerMutate(data, size, maxSize);
        const int rounds = 1 + int(random() % 3);
        for (int round = 0; round < rounds; ++round)
            list->mutateOnce(random);
        const std::string written = list->serialise();
        if (written.size() > maxSize)
            return LLVMFuzzerMutate(data, size, maxSize);
        std::copy(written.begin(), written.end(), data);
        return written.size();
    }

private:
    struct Object {
        std::string raw; // scalars: the whole object; containers: rebuilt from kind and refs
        bool container { false };
        std::uint8_t kind { 0 }; // 0xA array, 0xB ordered set, 0xC set, 0xD dictionary
        std::vector<std::uint64_t> refs; // dictionaries: keys, then values
    };

    std::vector<Object> m_objects;
    unsigned m_referenceSize { 1 };
    std::uint64_t m_top { 0 };

    static std::uint64_t bigEndian(const std::uint8_t* bytes, std::size_t size)
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value = value << 8 | bytes[i];
        return value;
    }

    static void appendBigEndian(std::string& out, std::uint64_t value, unsigned size)
    {
        for (int shift = 8 * (int(size) - 1); shift >= 0; shift -= 8)
            out += char(value >> shift);
    }

    static unsigned widthFor(std::uint64_t value)
    {
        unsigned width = 1;
        while (width < 8 && value >> (8 * width))
            width *= 2;
        return width;
    }

    static std::optional<BinaryListMutator> parse(const std::uint8_t* data, std::size_t size)
    {
        constexpr std::size_t trailerSize = 32;
        if (size < 8 + trailerSize || std::string(reinterpret_cast<const char*>(data), 6) != "bplist")
            return std::nullopt;
        const std::uint8_t* trailer = data + size - trailerSize;
        const unsigned offsetSize = trailer[6];
        const unsigned referenceSize = trailer[7];
        const std::uint64_t count = bigEndian(trailer + 8, 8);
        const std::uint64_t tableAt = bigEndian(trailer + 24, 8);
        const std::size_t tableEnd = size - trailerSize;
        if (offsetSize < 1 || offsetSize > 8 || referenceSize < 1 || referenceSize > 8 || count == 0 || count > 4096 || tableAt < 8
            || tableAt > tableEnd || (tableEnd - tableAt) / offsetSize < count)
            return std::nullopt;
        std::vector<std::uint64_t> offsets;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint64_t offset = bigEndian(data + tableAt + i * offsetSize, offsetSize);
            if (offset < 8 || offset >= tableAt)
                return std::nullopt;
            offsets.push_back(offset);
        }
        BinaryListMutator list;
        list.m_referenceSize = referenceSize;
        list.m_top = bigEndian(trailer + 16, 8);
        std::vector<std::uint64_t> starts = offsets;
        std::sort(starts.begin(), starts.end());
        for (std::uint64_t offset : offsets) {
            // An object runs to the next object or the table, whichever comes first.
            const auto next = std::upper_bound(starts.begin(), starts.end(), offset);
            const std::uint64_t end = next == starts.end() ? tableAt : *next;
            Object object;
            object.raw.assign(reinterpret_cast<const char*>(data + offset), std::size_t(end - offset));
            list.decodeContainer(object);
            list.m_objects.push_back(std::move(object));
        }
        return list;
    }

    void decodeContainer(Object& object) const
    {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(object.raw.data());
        const std::size_t size = object.raw.size();
        const std::uint8_t kind = bytes[0] >> 4;
        if (kind < 0xA || kind > 0xD)
            return;
        std::size_t at = 1;
        std::uint64_t count = bytes[0] & 0xF;
        if (count == 0xF) {
            if (size < 2 || (bytes[1] >> 4) != 0x1)
                return;
            const std::size_t width = std::size_t(1) << (bytes[1] & 0xF);
            if (width > 8 || size < 2 + width)
                return;
            count = bigEndian(bytes + 2, width);
            at = 2 + width;
        }
        const std::uint64_t refs = kind == 0xD ? 2 * count : count;
        if (count > 4096 || (size - at) / m_referenceSize < refs)
            return;
        object.container = true;
        object.kind = kind;
        for (std::uint64_t i = 0; i < refs; ++i)
            object.refs.push_back(bigEndian(bytes + at + i * m_referenceSize, m_referenceSize));
    }

    std::string encode(const Object& object) const
    {
        if (!object.container)
            return object.raw;
        const std::uint64_t count = object.kind == 0xD ? object.refs.size() / 2 : object.refs.size();
        std::string out;
        if (count < 15) {
            out += char(object.kind << 4 | count);
        } else {
            out += char(object.kind << 4 | 0xF);
            const unsigned width = widthFor(count);
            out += char(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3));
            appendBigEndian(out, count, width);
        }
        for (std::size_t i = 0; i < (object.kind == 0xD ? 2 * count : count); ++i)
            appendBigEndian(out, object.refs[i], m_referenceSize);
        return out;
    }

    std::string serialise() const
    {
        std::string out = "bplist00";
        std::vector<std::uint64_t> offsets;
        for (const auto& object : m_objects) {
            offsets.push_back(out.size());
            out += encode(object);
        }
        const std::uint64_t tableAt = out.size();
        const unsigned offsetSize = widthFor(tableAt);
        for (std::uint64_t offset : offsets)
            appendBigEndian(out, offset, offsetSize);
        out += std::string(6, '\0');
        out += char(offsetSize);
        out += char(m_referenceSize);
        appendBigEndian(out, m_objects.size(), 8);
        appendBigEndian(out, m_top, 8);
        appendBigEndian(out, tableAt, 8);
        return out;
    }

    static Object scalar(std::string raw)
    {
        Object object;
        object.raw = std::move(raw);
        return object;
    }

    static Object array(std::vector<std::uint64_t> refs)
    {
        Object object;
        object.container = true;
        object.kind = 0xA;
        object.refs = std::move(refs);
        return object;
    }

    static BinaryListMutator doublingChainList(std::size_t levels)
    {
        BinaryListMutator list;
        list.m_objects.push_back(scalar(std::string("\x11\x00\x01", 3)));
        list.appendDoublingChain(levels, 0, 2);
        list.m_top = 1;
        return list;
    }

    // Arrays first .. first + levels - 1, each naming the next `times` times, the last naming `end`.
    void appendDoublingChain(std::size_t levels, std::uint64_t end, std::size_t times)
    {
        const std::uint64_t first = m_objects.size();
        for (std::size_t level = 0; level < levels; ++level) {
            const std::uint64_t next = level + 1 < levels ? first + level + 1 : end;
            m_objects.push_back(array(std::vector<std::uint64_t>(times, next)));
        }
    }

    std::uint64_t anyObject(std::minstd_rand& random) const
    {
        // Now and then a reference past the table, which must be refused.
        return random() % 16 == 0 ? m_objects.size() + random() % 3 : random() % m_objects.size();
    }

    Object* anyContainer(std::minstd_rand& random)
    {
        std::vector<Object*> containers;
        for (auto& object : m_objects)
            if (object.container)
                containers.push_back(&object);
        return containers.empty() ? nullptr : containers[random() % containers.size()];
    }

    void mutateOnce(std::minstd_rand& random)
    {
        if (m_objects.empty())
            m_objects.push_back(scalar(std::string("\x09", 1)));
        switch (random() % 10) {
        case 0: { // A chain whose expansion doubles per level, hung under the top or made the top.
            const std::uint64_t first = m_objects.size();
            // Mostly short, so that runs stay fast; now and then past any allowance.
            const bool past = random() % 8 == 0;
            const std::size_t levels = past ? 16 + random() % 48 : 2 + random() % 8;
            appendDoublingChain(levels, anyObject(random), past ? 2 + random() % 3 : 2);
            if (auto* container = anyContainer(random); container && random() % 2 && !container->refs.empty())
                container->refs[random() % container->refs.size()] = first;
            else
                m_top = first;
            break;
        }
        case 1: // One reference pointed elsewhere: shared, cyclic or missing.
            if (auto* container = anyContainer(random); container && !container->refs.empty())
                container->refs[random() % container->refs.size()] = anyObject(random);
            break;
        case 2: // A container naming one object over and over.
            if (auto* container = anyContainer(random)) {
                const std::uint64_t target = anyObject(random);
                const std::size_t times = container->refs.size() + random() % 16;
                container->refs.assign(container->kind == 0xD ? 2 * times : times, target);
            }
            break;
        case 3: { // A new container of existing objects.
            Object object = array({});
            object.kind = std::uint8_t(0xA + random() % 4);
            const std::size_t count = random() % 20;
            for (std::size_t i = 0; i < (object.kind == 0xD ? 2 * count : count); ++i)
                object.refs.push_back(anyObject(random));
            m_objects.push_back(std::move(object));
            break;
        }
        case 4:
            m_top = anyObject(random);
            break;
        case 5: // Another kind of container over the same references.
            if (auto* container = anyContainer(random)) {
                container->kind = std::uint8_t(0xA + random() % 4);
                if (container->kind == 0xD && container->refs.size() % 2)
                    container->refs.push_back(anyObject(random));
            }
            break;
        case 6: { // A scalar mutated in place.
            Object& object = m_objects[random() % m_objects.size()];
            if (!object.container && !object.raw.empty()) {
                std::string bytes = object.raw;
                bytes.resize(bytes.size() + 16);
                bytes.resize(LLVMFuzzerMutate(reinterpret_cast<std::uint8_t*>(bytes.data()), object.raw.size(), bytes.size()));
                if (!bytes.empty())
                    object.raw = bytes;
            }
            break;
        }
        case 7: { // Wider or narrower references.
            static constexpr unsigned widths[] = { 1, 2, 4, 8 };
            m_referenceSize = widths[random() % 4];
            break;
        }
        case 8: // An object copied to the end, or dropped from it.
            if (random() % 2 || m_objects.size() < 2)
                m_objects.push_back(m_objects[random() % m_objects.size()]);
            else
                m_objects.pop_back();
            break;
        default: { // A scalar of a kind the reader must size: a long string, data or a number.
            static const std::string scalars[] = { std::string("\x5F\x10\x20", 3) + std::string(32, 'a'), std::string("\x43xyz", 4),
                std::string("\x13\x80\0\0\0\0\0\0\0", 9), std::string("\x33\x7F\xF8\0\0\0\0\0\0", 9), std::string("\x61\x4E\x2D", 3),
                std::string("\x08", 1) };
            m_objects.push_back(scalar(scalars[random() % std::size(scalars)]));
            break;
        }
        }
        // References wider than their width are cut to it, as the reader would read them.
        const std::uint64_t limit = std::uint64_t(1) << (8 * std::min(m_referenceSize, 4u));
        for (auto& object : m_objects)
            for (auto& ref : object.refs)
                if (m_referenceSize < 8)
                    ref %= limit;
    }
};

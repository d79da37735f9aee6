#pragma once

#include <QString>
#include <QVariant>

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

// The storage under Table: a compact value cell and a pool of equal-sized blocks. A table file
// load makes thousands of rows at once and throws them all away on the next load, so rows and
// index nodes come from per-table pools that are released in one go instead of row by row.

// One stored value: null, or a value of the field's own type. Cheaper to make, copy and destroy
// than a QVariant, whose work goes through the meta-type system.
class TableCell
{
public:
    enum class Kind : unsigned char { Null, Integer, Float, Boolean, String };

    TableCell() noexcept {}
    explicit TableCell(int value) noexcept : m_integer(value), m_kind(Kind::Integer) {}
    explicit TableCell(double value) noexcept : m_float(value), m_kind(Kind::Float) {}
    explicit TableCell(bool value) noexcept : m_boolean(value), m_kind(Kind::Boolean) {}
    explicit TableCell(const QString &value) : m_string(value), m_kind(Kind::String) {}
    explicit TableCell(QString &&value) noexcept : m_string(std::move(value)), m_kind(Kind::String) {}
    TableCell(const TableCell &other) { copyFrom(other); }
    TableCell(TableCell &&other) noexcept { moveFrom(other); }
    ~TableCell()
    {
        if (m_kind == Kind::String)
            m_string.~QString();
    }
    TableCell &operator=(const TableCell &other)
    {
        if (this != &other) {
            clear();
            copyFrom(other);
        }
        return *this;
    }
    TableCell &operator=(TableCell &&other) noexcept
    {
        if (this != &other) {
            clear();
            moveFrom(other);
        }
        return *this;
    }

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isNumeric() const { return m_kind == Kind::Integer || m_kind == Kind::Float || m_kind == Kind::Boolean; }
    int integer() const { return m_integer; }
    double number() const // any numeric kind as a double, as QVariant::toDouble gives it
    {
        return m_kind == Kind::Float ? m_float : m_kind == Kind::Integer ? m_integer : (m_boolean ? 1.0 : 0.0);
    }
    bool boolean() const { return m_boolean; }
    const QString &string() const { return m_string; }

    void clear() noexcept
    {
        if (m_kind == Kind::String)
            m_string.~QString();
        m_kind = Kind::Null;
    }
    void setInteger(int value) noexcept
    {
        clear();
        m_integer = value;
        m_kind = Kind::Integer;
    }
    void setFloat(double value) noexcept
    {
        clear();
        m_float = value;
        m_kind = Kind::Float;
    }
    void setBoolean(bool value) noexcept
    {
        clear();
        m_boolean = value;
        m_kind = Kind::Boolean;
    }
    void setString(const QString &value)
    {
        if (m_kind == Kind::String) {
            m_string = value;
            return;
        }
        new (&m_string) QString(value);
        m_kind = Kind::String;
    }

    QVariant toVariant() const;

private:
    void copyScalar(const TableCell &other) noexcept
    {
        switch (other.m_kind) {
        case Kind::Integer:
            m_integer = other.m_integer;
            break;
        case Kind::Float:
            m_float = other.m_float;
            break;
        case Kind::Boolean:
            m_boolean = other.m_boolean;
            break;
        case Kind::Null:
        case Kind::String:
            break;
        }
    }
    void copyFrom(const TableCell &other)
    {
        if (other.m_kind == Kind::String)
            new (&m_string) QString(other.m_string);
        else
            copyScalar(other);
        m_kind = other.m_kind;
    }
    void moveFrom(TableCell &other) noexcept
    {
        if (other.m_kind == Kind::String) {
            new (&m_string) QString(std::move(other.m_string));
            other.m_string.~QString();
        } else {
            copyScalar(other);
        }
        m_kind = other.m_kind;
        other.m_kind = Kind::Null;
    }

    union {
        int m_integer;
        double m_float = 0.0;
        bool m_boolean;
        QString m_string;
    };
    Kind m_kind = Kind::Null;
};

// Order of stored values: null first, numbers by value, texts case-sensitive (as compareValues).
int compareMixedCells(const TableCell &a, const TableCell &b);
inline int compareCells(const TableCell &a, const TableCell &b)
{
    // An index or a search compares values of one field, so both have its kind.
    if (a.kind() == b.kind()) {
        switch (a.kind()) {
        case TableCell::Kind::Null:
            return 0;
        case TableCell::Kind::Integer:
            return a.integer() < b.integer() ? -1 : (a.integer() > b.integer() ? 1 : 0);
        case TableCell::Kind::Float:
            return a.number() < b.number() ? -1 : (a.number() > b.number() ? 1 : 0);
        case TableCell::Kind::Boolean:
            return int(a.boolean()) - int(b.boolean());
        case TableCell::Kind::String: {
            const int c = QString::compare(a.string(), b.string(), Qt::CaseSensitive);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        }
    }
    return compareMixedCells(a, b);
}

// Blocks of one size, carved from chunks that grow as the table does. A freed block is reused
// by the next allocation; reset() forgets every block at once and keeps the chunks for the next
// fill, so a table loaded again and again settles on its memory.
class BlockPool
{
public:
    BlockPool() = default;
    ~BlockPool();
    BlockPool(const BlockPool &) = delete;
    BlockPool &operator=(const BlockPool &) = delete;

    // Forgets all blocks.
    void reset() { reset(m_blockSize); }
    // The same, and the next blocks have the given size (rounded up to a multiple of 8; 0 leaves
    // it to the first request through a PoolAllocator).
    void reset(size_t blockSize);
    size_t blockSize() const { return m_blockSize; }
    static constexpr size_t kAlignment = 8;

    void *allocate()
    {
        if (m_free) {
            FreeBlock *b = m_free;
            m_free = b->next;
            return b;
        }
        if (static_cast<size_t>(m_end - m_next) < m_blockSize)
            nextChunk();
        void *p = m_next;
        m_next += m_blockSize;
        return p;
    }
    void deallocate(void *p)
    {
        auto *b = static_cast<FreeBlock *>(p);
        b->next = m_free;
        m_free = b;
    }

private:
    struct FreeBlock {
        FreeBlock *next;
    };
    struct Chunk {
        std::byte *data;
        size_t bytes;
    };
    void nextChunk();

    size_t m_blockSize = 0;
    std::vector<Chunk> m_chunks;
    size_t m_used = 0; // chunks handed out since the last reset
    std::byte *m_next = nullptr;
    std::byte *m_end = nullptr;
    FreeBlock *m_free = nullptr;
};

// Gives the single nodes of a std::set from a BlockPool; anything else comes from the heap.
template <class T> class PoolAllocator
{
public:
    using value_type = T;

    explicit PoolAllocator(BlockPool *pool) noexcept : m_pool(pool) {}
    template <class U> PoolAllocator(const PoolAllocator<U> &other) noexcept : m_pool(other.pool()) {}

    T *allocate(size_t n)
    {
        if (n == 1 && fits())
            return static_cast<T *>(m_pool->allocate());
        return static_cast<T *>(::operator new(n * sizeof(T)));
    }
    void deallocate(T *p, size_t n) noexcept
    {
        if (n == 1 && fits())
            m_pool->deallocate(p);
        else
            ::operator delete(p);
    }

    BlockPool *pool() const { return m_pool; }
    template <class U> bool operator==(const PoolAllocator<U> &other) const { return m_pool == other.pool(); }

private:
    bool fits() const
    {
        if (m_pool->blockSize() == 0) // nothing handed out yet: the first node sets the size
            m_pool->reset(sizeof(T));
        return sizeof(T) <= m_pool->blockSize() && alignof(T) <= BlockPool::kAlignment;
    }

    BlockPool *m_pool;
};

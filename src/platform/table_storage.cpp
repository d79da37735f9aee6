#include "platform/table_storage.h"

#include "platform/table.h"

#include <algorithm>

// ---------------------------------------------------------------- TableCell

QVariant TableCell::toVariant() const
{
    switch (m_kind) {
    case Kind::Integer:
        return QVariant(m_integer);
    case Kind::Float:
        return QVariant(m_float);
    case Kind::Boolean:
        return QVariant(m_boolean);
    case Kind::String:
        return QVariant(m_string);
    case Kind::Null:
        break;
    }
    return QVariant();
}

int compareMixedCells(const TableCell &a, const TableCell &b)
{
    return compareValues(a.toVariant(), b.toVariant());
}

// ---------------------------------------------------------------- BlockPool

namespace {

// A small table stays small; a big one gets chunks of up to this many bytes.
constexpr size_t kFirstChunkBlocks = 16;
constexpr size_t kMaxChunkBytes = 1024 * 1024;

} // namespace

BlockPool::~BlockPool()
{
    for (const Chunk &c : m_chunks)
        ::operator delete(c.data);
}

void BlockPool::reset(size_t blockSize)
{
    if (blockSize > 0)
        blockSize = std::max(blockSize, sizeof(FreeBlock));
    m_blockSize = (blockSize + kAlignment - 1) / kAlignment * kAlignment;
    m_used = 0;
    m_next = m_end = nullptr;
    m_free = nullptr;
}

void BlockPool::nextChunk()
{
    if (m_blockSize == 0)
        m_blockSize = sizeof(FreeBlock);
    // Chunks kept from an earlier fill are used again first, as far as a block fits into them.
    while (m_used < m_chunks.size()) {
        const Chunk &c = m_chunks[m_used++];
        if (c.bytes >= m_blockSize) {
            m_next = c.data;
            m_end = c.data + c.bytes;
            return;
        }
    }
    const size_t previous = m_chunks.empty() ? 0 : m_chunks.back().bytes;
    const size_t bytes =
        std::max({kFirstChunkBlocks * m_blockSize, std::min(previous * 2, kMaxChunkBytes), m_blockSize});
    m_chunks.push_back(Chunk{static_cast<std::byte *>(::operator new(bytes)), bytes});
    m_used = m_chunks.size();
    m_next = m_chunks.back().data;
    m_end = m_next + bytes;
}

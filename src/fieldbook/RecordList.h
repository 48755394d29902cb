// SPDX-License-Identifier: MIT
#pragma once

#include "fieldbook/MeasurementRecord.h"
#include "fieldbook/RecordBlock.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

namespace velmora {

/// The records of the file loaded last, skipped lines included, in file order.
///
/// The list owns the text of the file in one buffer; its records are small views into it.
/// Records are kept in blocks that never move, so the list grows without copying records and
/// without holding twice their memory for a moment.
class RecordList {
public:
    template <bool Constant>
    class Iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = MeasurementRecord;
        using difference_type = std::ptrdiff_t;
        using List = std::conditional_t<Constant, const RecordList, RecordList>;
        using reference = std::conditional_t<Constant, const MeasurementRecord&, MeasurementRecord&>;
        using pointer = std::conditional_t<Constant, const MeasurementRecord*, MeasurementRecord*>;

        Iterator() = default;
        Iterator(List* list, std::size_t index) : list_(list), index_(index) {}
        reference operator*() const { return (*list_)[index_]; }
        pointer operator->() const { return &(*list_)[index_]; }
        reference operator[](difference_type n) const { return (*list_)[index_ + n]; }
        Iterator& operator++() { ++index_; return *this; }
        Iterator operator++(int) { Iterator old = *this; ++index_; return old; }
        Iterator& operator--() { --index_; return *this; }
        Iterator operator--(int) { Iterator old = *this; --index_; return old; }
        Iterator& operator+=(difference_type n) { index_ += n; return *this; }
        Iterator& operator-=(difference_type n) { index_ -= n; return *this; }
        friend Iterator operator+(Iterator it, difference_type n) { return it += n; }
        friend Iterator operator+(difference_type n, Iterator it) { return it += n; }
        friend Iterator operator-(Iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const Iterator& a, const Iterator& b)
        {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.index_ == b.index_; }
        friend auto operator<=>(const Iterator& a, const Iterator& b) { return a.index_ <=> b.index_; }

    private:
        List* list_ = nullptr;
        std::size_t index_ = 0;
    };
    using iterator = Iterator<false>;
    using const_iterator = Iterator<true>;
    using value_type = MeasurementRecord;
    using size_type = std::size_t;

    RecordList() = default;
    ~RecordList();
    RecordList(const RecordList& other);
    RecordList& operator=(const RecordList& other);
    RecordList(RecordList&& other) noexcept;
    RecordList& operator=(RecordList&& other) noexcept;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    MeasurementRecord& operator[](std::size_t i)
    {
        return RecordsOf(blocks_[i / kRecordsPerBlock].get())[i % kRecordsPerBlock];
    }
    const MeasurementRecord& operator[](std::size_t i) const
    {
        return RecordsOf(blocks_[i / kRecordsPerBlock].get())[i % kRecordsPerBlock];
    }
    MeasurementRecord& back() { return (*this)[size_ - 1]; }
    const MeasurementRecord& back() const { return (*this)[size_ - 1]; }

    iterator begin() { return {this, 0}; }
    iterator end() { return {this, size_}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size_}; }

    /// Removes every record and the text.
    void clear();

    /// Appends a record (one that holds its own line, as ParseLine makes).
    void push_back(MeasurementRecord record);

    /// Takes over a file's text, `size` bytes in `text`, as the list's text; the records
    /// present are removed first. Returns the text, for lines to be cut from it.
    std::string_view AdoptText(std::unique_ptr<char[]> text, std::size_t size);

    /// Appends the record of a line of the list's own text (as AdoptText returned it), which
    /// the record refers to without a copy; `carriedRun` is the run number of the line before
    /// (FieldBookLayout::RunNumberOf). The skip flag is left clear.
    MeasurementRecord& AppendLineOfText(std::string_view line, std::string_view carriedRun = {});

    /// The text taken over by AdoptText (empty when none).
    std::string_view text() const { return {text_.get(), textSize_}; }

    /// True when the records are exactly the lines of the text, as AppendLineOfText made them
    /// (edited or not): nothing was appended with push_back since AdoptText.
    bool recordsAreTextLines() const { return textLinesOnly_; }

    /// Gives every record back the fields of its line (MeasurementRecord::DiscardEdits).
    void DiscardEdits();

private:
    // Records stand in blocks of kRecordBlockBytes (RecordBlock.h), which never move.
    using BlockHeader = RecordBlockHeader;
    static constexpr std::size_t kRecordsPerBlock =
        (kRecordBlockBytes - sizeof(BlockHeader)) / sizeof(MeasurementRecord);

    // A block's header is ended with it; its memory belongs to a piece of `memory_`.
    struct EndBlock {
        void operator()(BlockHeader* block) const;
    };
    struct FreeMemory {
        void operator()(char* memory) const;
    };

    static MeasurementRecord* RecordsOf(BlockHeader* block)
    {
        return reinterpret_cast<MeasurementRecord*>(block + 1);
    }
    static const MeasurementRecord* RecordsOf(const BlockHeader* block)
    {
        return reinterpret_cast<const MeasurementRecord*>(block + 1);
    }

    // The slot of the next record, in a new block when the last one is full.
    MeasurementRecord* SlotForNext();
    BlockHeader& LastBlock() { return *blocks_.back(); }

    // The memory of the blocks, in the order it was had; the blocks, ended before it is freed.
    std::vector<std::unique_ptr<char, FreeMemory>> memory_;
    std::vector<std::unique_ptr<BlockHeader, EndBlock>> blocks_;
    std::size_t size_ = 0;
    std::unique_ptr<char[]> text_;
    std::size_t textSize_ = 0;
    bool textLinesOnly_ = false;
};

}  // namespace velmora

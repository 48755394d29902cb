// SPDX-License-Identifier: MIT
#include "fieldbook/RecordList.h"

#include "fieldbook/HugePages.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace velmora {

static_assert(sizeof(MeasurementRecord) == 8, "a record is one word");
static_assert(alignof(MeasurementRecord) <= sizeof(void*));

// A small book's blocks are pieces of memory of their own, so that it costs only the pages it
// touches; from this many on, the list's blocks are cut from whole huge pages
// (AllocateHugePages), whose first touch maps 2 MiB at one fault instead of 4 KiB at each of 512.
constexpr std::size_t kSeparateBlocks = 8;
constexpr std::size_t kBlocksPerHugePage = kHugePageBytes / kRecordBlockBytes;
static_assert(kHugePageBytes % kRecordBlockBytes == 0, "blocks are cut from huge pages without a rest");

void RecordList::EndBlock::operator()(BlockHeader* block) const
{
    block->~BlockHeader();
}

void RecordList::FreeMemory::operator()(char* memory) const
{
    std::free(memory);
}

RecordList::~RecordList()
{
    clear();
}

RecordList::RecordList(const RecordList& other)
{
    *this = other;
}

RecordList& RecordList::operator=(const RecordList& other)
{
    if (this == &other)
        return *this;
    clear();
    if (other.text_) {
        text_.reset(new char[other.textSize_]);
        std::memcpy(text_.get(), other.text_.get(), other.textSize_);
        textSize_ = other.textSize_;
    }
    // The copy has the same blocks: a view keeps where its line stands from its block's base,
    // and the base moves with the text.
    const std::string_view oldText = other.text();
    for (const MeasurementRecord& record : other) {
        const bool startsBlock = size_ % kRecordsPerBlock == 0;
        MeasurementRecord* slot = SlotForNext();
        if (startsBlock) {
            // The kept run numbers go with the block; made texts are made again when asked for.
            const RecordBlockHeader& from = RecordBlockHeaderOf(&record);
            LastBlock().base = MeasurementRecord::Rebased(from.base, oldText, text_.get());
            if (from.texts) {
                LastBlock().texts = std::make_unique<RecordBlockTexts>();
                LastBlock().texts->runFrom = from.texts->runFrom;
                LastBlock().texts->runs = from.texts->runs;
            }
        }
        new (slot) MeasurementRecord();
        ++size_;
        slot->BecomeCopyOf(record, oldText, text_.get());
    }
    textLinesOnly_ = other.textLinesOnly_;
    return *this;
}

RecordList::RecordList(RecordList&& other) noexcept
    : memory_(std::move(other.memory_)), blocks_(std::move(other.blocks_)), size_(other.size_),
      text_(std::move(other.text_)), textSize_(other.textSize_), textLinesOnly_(other.textLinesOnly_)
{
    other.blocks_.clear();
    other.memory_.clear();
    other.size_ = 0;
    other.textSize_ = 0;
    other.textLinesOnly_ = false;
}

RecordList& RecordList::operator=(RecordList&& other) noexcept
{
    if (this != &other) {
        clear();
        memory_ = std::move(other.memory_);
        blocks_ = std::move(other.blocks_);
        size_ = other.size_;
        text_ = std::move(other.text_);
        textSize_ = other.textSize_;
        textLinesOnly_ = other.textLinesOnly_;
        other.blocks_.clear();
        other.memory_.clear();
        other.size_ = 0;
        other.textSize_ = 0;
        other.textLinesOnly_ = false;
    }
    return *this;
}

void RecordList::clear()
{
    for (std::size_t i = 0; i < size_; ++i)
        (*this)[i].~MeasurementRecord();
    size_ = 0;
    blocks_.clear();
    memory_.clear();
    text_.reset();
    textSize_ = 0;
    textLinesOnly_ = false;
}

void RecordList::DiscardEdits()
{
    for (std::size_t i = 0; i < size_; ++i) {
        MeasurementRecord& record = (*this)[i];
        if (record.HasEdits())
            record.ReturnToView(text(), RecordBlockBase(&record));
    }
}

MeasurementRecord* RecordList::SlotForNext()
{
    const std::size_t block = size_ / kRecordsPerBlock;
    if (block == blocks_.size()) {
        // Aligned to its size, so that a record's address gives its block; the allocator maps
        // it afresh.
        const std::size_t cut = block < kSeparateBlocks ? 0 : (block - kSeparateBlocks) % kBlocksPerHugePage;
        if (cut == 0) {
            void* memory = block < kSeparateBlocks ? std::aligned_alloc(kRecordBlockBytes, kRecordBlockBytes)
                                                   : AllocateHugePages(1);
            std::unique_ptr<char, FreeMemory> owned(static_cast<char*>(memory));
            if (!owned)
                throw std::bad_alloc();
            memory_.push_back(std::move(owned));  // freed here still if the list cannot grow
        }
        blocks_.emplace_back(new (memory_.back().get() + cut * kRecordBlockBytes) BlockHeader);
    }
    return &RecordsOf(blocks_[block].get())[size_ % kRecordsPerBlock];
}

void RecordList::push_back(MeasurementRecord record)
{
    textLinesOnly_ = false;
    new (SlotForNext()) MeasurementRecord(std::move(record));
    ++size_;
}

std::string_view RecordList::AdoptText(std::unique_ptr<char[]> text, std::size_t size)
{
    clear();
    text_ = std::move(text);
    textSize_ = size;
    textLinesOnly_ = true;
    return this->text();
}

MeasurementRecord& RecordList::AppendLineOfText(std::string_view line, std::string_view carriedRun)
{
    MeasurementRecord* slot = SlotForNext();
    BlockHeader& block = LastBlock();
    if (!block.base)
        block.base = line.data();
    new (slot) MeasurementRecord();
    ++size_;
    slot->BecomeView(line, block, carriedRun);
    return *slot;
}

}  // namespace velmora

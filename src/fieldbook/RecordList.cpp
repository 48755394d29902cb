// SPDX-License-Identifier: MIT
#include "fieldbook/RecordList.h"

#include <cstring>
#include <new>

namespace velmora {

void RecordList::FreeBlock::operator()(MeasurementRecord* block) const
{
    ::operator delete(block);
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
    for (const MeasurementRecord& record : other) {
        MeasurementRecord* slot = SlotForNext();
        new (slot) MeasurementRecord(record);
        ++size_;
        if (text_)
            slot->Rebase(other.text(), text_.get());
    }
    textLinesOnly_ = other.textLinesOnly_;
    return *this;
}

RecordList::RecordList(RecordList&& other) noexcept
    : blocks_(std::move(other.blocks_)), size_(other.size_), text_(std::move(other.text_)),
      textSize_(other.textSize_), textLinesOnly_(other.textLinesOnly_)
{
    other.blocks_.clear();
    other.size_ = 0;
    other.textSize_ = 0;
    other.textLinesOnly_ = false;
}

RecordList& RecordList::operator=(RecordList&& other) noexcept
{
    if (this != &other) {
        clear();
        blocks_ = std::move(other.blocks_);
        size_ = other.size_;
        text_ = std::move(other.text_);
        textSize_ = other.textSize_;
        textLinesOnly_ = other.textLinesOnly_;
        other.blocks_.clear();
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
    text_.reset();
    textSize_ = 0;
    textLinesOnly_ = false;
}

void RecordList::DiscardEdits()
{
    for (std::size_t i = 0; i < size_; ++i)
        (*this)[i].DiscardEdits();
}

MeasurementRecord* RecordList::SlotForNext()
{
    if ((size_ >> kBlockShift) == blocks_.size()) {
        std::unique_ptr<MeasurementRecord, FreeBlock> block(
            static_cast<MeasurementRecord*>(::operator new(kBlockSize * sizeof(MeasurementRecord))));
        blocks_.push_back(std::move(block));
    }
    return &blocks_[size_ >> kBlockShift].get()[size_ & kBlockMask];
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

MeasurementRecord& RecordList::AppendLineOfText(std::string_view line)
{
    MeasurementRecord* slot = SlotForNext();
    new (slot) MeasurementRecord(MeasurementRecord::ViewOf(line));
    ++size_;
    return *slot;
}

}  // namespace velmora

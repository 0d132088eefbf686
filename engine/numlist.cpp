#include "engine/numlist.h"

namespace engine {
namespace {

// The separators of the C locale's isspace, without depending on a locale.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Beyond this a magnitude is out of every range we read; further digits only
// keep the token alive so that it is still checked for being a number.
constexpr unsigned long long kMagnitudeCap = 1000000000000000000ULL;

}  // namespace

NumberListReader::NumberListReader(std::size_t count, long long min, long long max)
    : count_(count), min_(min), max_(max) {
    values_.reserve(count_ < 4096 ? count_ : 4096);
    if (count_ == 0) state_ = State::Complete;
}

void NumberListReader::fail() {
    state_ = State::Failed;
    values_.clear();
}

bool NumberListReader::endToken() {
    if (state_ == State::Sign) {  // a lone sign is not a number
        fail();
        return false;
    }
    const long long v = negative_ ? -static_cast<long long>(magnitude_) : static_cast<long long>(magnitude_);
    if (tooLarge_ || v < min_ || v > max_) {
        fail();
        return false;
    }
    values_.push_back(v);
    state_ = values_.size() == count_ ? State::Complete : State::Between;
    return true;
}

bool NumberListReader::feed(const char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (state_ == State::Complete) return true;
        if (state_ == State::Failed) return false;
        const char c = data[i];
        if (isSpace(c)) {
            if (state_ != State::Between && !endToken()) return false;
            continue;
        }
        if (state_ == State::Between) {
            negative_ = false;
            tooLarge_ = false;
            magnitude_ = 0;
            if (c == '+' || c == '-') {
                negative_ = c == '-';
                state_ = State::Sign;
                continue;
            }
        }
        if (c < '0' || c > '9') {
            fail();
            return false;
        }
        state_ = State::Digits;
        if (magnitude_ >= kMagnitudeCap)
            tooLarge_ = true;
        else
            magnitude_ = magnitude_ * 10 + static_cast<unsigned>(c - '0');
    }
    return state_ != State::Failed;
}

bool NumberListReader::finish() {
    if (state_ == State::Sign || state_ == State::Digits) endToken();
    if (state_ == State::Between) fail();  // ran out of numbers
    return state_ == State::Complete;
}

bool ReadNumberList(std::string_view text, std::size_t count, long long min, long long max,
                    std::vector<long long>* out) {
    NumberListReader r(count, min, max);
    r.feed(text.data(), text.size());
    if (!r.finish()) return false;
    if (out) *out = r.values();
    return true;
}

}  // namespace engine

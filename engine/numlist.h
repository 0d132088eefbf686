// Reader of white-space separated decimal numbers, the text form of the
// array files. Plain C++ (no Qt) so that it can be fuzzed on its own.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace engine {

// Takes the first `count` numbers of a text that may arrive in pieces. A
// token that is not a whole decimal integer (optional sign, digits only) or
// whose value lies outside [min, max] fails the read; so does a text that
// ends before `count` numbers. What follows the last wanted number is not
// looked at.
class NumberListReader {
public:
    NumberListReader(std::size_t count, long long min, long long max);

    // Takes the next piece; false once the read has failed. Pieces after the
    // read is complete are ignored.
    bool feed(const char* data, std::size_t size);
    // The text has ended: true when `count` numbers were read.
    bool finish();

    bool complete() const { return state_ == State::Complete; }
    bool failed() const { return state_ == State::Failed; }
    const std::vector<long long>& values() const { return values_; }

private:
    enum class State { Between, Sign, Digits, Complete, Failed };
    bool endToken();
    void fail();

    std::size_t count_;
    long long min_, max_;
    State state_ = State::Between;
    bool negative_ = false;
    bool tooLarge_ = false;
    unsigned long long magnitude_ = 0;
    std::vector<long long> values_;
};

// The whole text at once: true and `out` filled with `count` values, or
// false and `out` left as it was.
bool ReadNumberList(std::string_view text, std::size_t count, long long min, long long max,
                    std::vector<long long>* out);

}  // namespace engine

// The abstract string list that line-oriented classes share, and the list
// index error raised for a bad index.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

class EListError : public std::out_of_range {
public:
    explicit EListError(long long index);
    long long index() const { return index_; }

private:
    long long index_;
};

// Items are byte strings; Text joins them with CR LF after each item.
class TStrings {
public:
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    virtual std::string Get(int i) const = 0;
    virtual void Put(int i, std::string_view s) = 0;
    virtual void Insert(int i, std::string_view s) = 0;
    virtual int Add(std::string_view s);
    virtual void Delete(int i) = 0;
    virtual void Clear() = 0;

    virtual std::string GetTextStr() const;
    virtual void SetTextStr(std::string_view text);
    virtual void Assign(const TStrings& source);

    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}

    std::string operator[](int i) const { return Get(i); }
};

}  // namespace platform

#pragma once
// The one holder template, for the setup and for the packer alike: plain C++, no system headers.
// Moved, never copied; release() hands the thing over, receive() empties the holder and lends its
// slot to a call that fills it.

// The one holder: owns a value of Traits::Type and frees it with Traits::Free when its scope ends.
// Traits also say what stands for none (Invalid) and whether a value is a real one (IsValid).
template <typename Traits>
class Scoped {
 public:
  using Type = typename Traits::Type;
  Scoped() = default;
  explicit Scoped(Type value) : value_(value) {}
  ~Scoped() { reset(); }
  Scoped(Scoped&& other) noexcept : value_(other.release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

  Type get() const { return value_; }
  bool valid() const { return Traits::IsValid(value_); }
  Type release() {
    Type value = value_;
    value_ = Traits::Invalid();
    return value;
  }
  void reset(Type value = Traits::Invalid()) {
    if (valid()) Traits::Free(value_);
    value_ = value;
  }
  Type* receive() {
    reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Invalid();
};

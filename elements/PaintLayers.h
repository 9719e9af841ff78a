#pragma once
// Whether the board is being drawn for an overlay, with nothing but what is lit: the
// segments and dots that shine and the printed labels, on transparency. Set around one
// drawing on the UI thread; the elements' painting reads it.
namespace paintlayers {

inline bool& litOnly() {
    static bool on = false;
    return on;
}

// Sets the flag for as long as it lives.
class LitOnly {
  public:
    LitOnly() { litOnly() = true; }
    ~LitOnly() { litOnly() = false; }
    LitOnly(const LitOnly&) = delete;
    LitOnly& operator=(const LitOnly&) = delete;
};

} // namespace paintlayers

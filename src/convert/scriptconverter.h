// Conversion between Simplified and Traditional Chinese for display and for whole texts.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

enum class ConvertConfig
{
    None,
    S2T,  // Simplified to Traditional
    S2TW, // Simplified to Traditional, Taiwan forms
    S2HK, // Simplified to Traditional, Hong Kong forms
    T2S,  // Traditional to Simplified
};

// "s2t", "s2tw", "s2hk", "t2s" (and "none"); false for anything else.
bool ParseConvertConfig(std::string_view name, ConvertConfig* config);
// The name ParseConvertConfig takes.
const char* ConvertConfigName(ConvertConfig config);

namespace opencc {
class Converter;
}

// One loaded conversion. Safe to share between threads: calls into OpenCC take the object's lock,
// and a long whole-text conversion takes it one slice at a time.
class ScriptConverter
{
public:
    // The process-wide converter for `config`, loaded on first use. nullptr for None, or when the
    // dictionaries cannot be loaded (`error` then gets a message for the user).
    static std::shared_ptr<ScriptConverter> Get(ConvertConfig config, std::string* error = nullptr);

    ConvertConfig Config() const { return config_; }

    // The whole text converted as OpenCC converts it; the length may change. NUL characters and
    // unpaired surrogates are kept as they are and never join a phrase.
    std::u16string ConvertWhole(std::u16string_view text) const;
    // The same in slices at line ends; `progress(done, total)` is called between slices and stops the
    // work when it returns false (the function then returns false and `out` is unspecified).
    bool ConvertWhole(std::u16string_view text, std::u16string* out,
                      const std::function<bool(std::size_t, std::size_t)>& progress) const;

    // text[begin, end) converted for drawing: exactly end - begin code units, each one standing where
    // its original stood. Phrases are matched with context around the range; a phrase whose
    // conversion would change the length keeps its original characters. `begin`/`end` are clamped to
    // the text; a range that cuts a surrogate pair gets its half of the converted pair.
    std::u16string ConvertForDisplay(std::u16string_view text, std::size_t begin, std::size_t end) const;
    // The part of a text of `length` units that ConvertForDisplay reads for [begin, end): the same
    // call on that slice alone (with the range moved by its start) gives the same units.
    static std::pair<std::size_t, std::size_t> DisplayReach(std::size_t length, std::size_t begin,
                                                            std::size_t end);

    ~ScriptConverter();
    ScriptConverter(const ScriptConverter&) = delete;
    ScriptConverter& operator=(const ScriptConverter&) = delete;

private:
    ScriptConverter(ConvertConfig config, std::shared_ptr<opencc::Converter> converter);
    void AppendWhole(std::u16string_view text, std::u16string* out) const;
    void ConvertRunForDisplay(std::u16string_view run, char16_t* out) const;
    void ConvertCharactersForDisplay(std::u16string_view source, std::u16string_view converted,
                                     char16_t* out) const;

    ConvertConfig config_;
    std::shared_ptr<opencc::Converter> converter_;
    mutable std::mutex lock_;
};

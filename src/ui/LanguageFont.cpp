#include "ui/LanguageFont.h"

#include "base/Texts.h"
#include "skin/SkinSurface.h"

namespace {

struct Script {
  WORD language;     // primary language; LANG_NEUTRAL: any other
  WORD sublanguage;  // SUBLANG_NEUTRAL: any
  BYTE charset;
  const wchar_t* faces[4];
};

// The first that the language of the texts matches.
const Script kScripts[] = {
    {LANG_JAPANESE, SUBLANG_NEUTRAL, SHIFTJIS_CHARSET, {L"Yu Gothic UI", L"Meiryo UI", L"Meiryo", L"MS UI Gothic"}},
    {LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL, CHINESEBIG5_CHARSET,
     {L"Microsoft JhengHei UI", L"Microsoft JhengHei", L"PMingLiU", L"MingLiU"}},
    {LANG_CHINESE, SUBLANG_NEUTRAL, GB2312_CHARSET, {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", L"NSimSun"}},
    {LANG_KOREAN, SUBLANG_NEUTRAL, HANGUL_CHARSET, {L"Malgun Gothic", L"Gulim", L"Dotum", L"Batang"}},
    {LANG_NEUTRAL, SUBLANG_NEUTRAL, DEFAULT_CHARSET, {L"Microsoft Sans Serif", L"Segoe UI", L"Tahoma", L"Arial"}},
};

// Every character in the Western code page, which the skin's own face was drawn for.
bool IsWestern(const wchar_t* text) {
  BOOL lost = FALSE;
  return WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lost) > 0 && !lost;
}

}  // namespace

void ChooseSkinFontFor(HDC dc, const wchar_t* texts, SkinFace* face) {
  if (IsWestern(texts) || FontCovers(dc, face->name[0] ? face->name : L"MS Sans Serif",
                                     face->name[0] ? face->charset : static_cast<BYTE>(DEFAULT_CHARSET), texts)) {
    return;
  }
  const Script* script = nullptr;
  for (const Script& candidate : kScripts) {
    bool language = candidate.language == LANG_NEUTRAL || candidate.language == PRIMARYLANGID(TextLanguage());
    bool region = candidate.sublanguage == SUBLANG_NEUTRAL || candidate.sublanguage == SUBLANGID(TextLanguage());
    if (!script && language && region) script = &candidate;
  }
  const wchar_t* chosen = script->faces[0];  // where none has them all, the system makes the most of it
  for (const wchar_t* face : script->faces) {
    if (FontCovers(dc, face, script->charset, texts)) {
      chosen = face;
      break;
    }
  }
  lstrcpynW(face->name, chosen, LF_FACESIZE);
  face->charset = script->charset;
}

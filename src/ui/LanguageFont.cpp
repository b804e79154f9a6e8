#include "ui/LanguageFont.h"

#include "base/Texts.h"
#include "skin/SkinSurface.h"

namespace {

struct Script {
  WORD language;  // primary language; LANG_NEUTRAL: any other
  BYTE charset;
  const wchar_t* faces[4];
};

const Script kScripts[] = {
    {LANG_JAPANESE, SHIFTJIS_CHARSET, {L"Yu Gothic UI", L"Meiryo UI", L"Meiryo", L"MS UI Gothic"}},
    {LANG_CHINESE, GB2312_CHARSET, {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", L"NSimSun"}},
    {LANG_KOREAN, HANGUL_CHARSET, {L"Malgun Gothic", L"Gulim", L"Dotum", L"Batang"}},
    {LANG_NEUTRAL, DEFAULT_CHARSET, {L"Microsoft Sans Serif", L"Segoe UI", L"Tahoma", L"Arial"}},
};

// Every character in the Western code page, which the skin's own face was drawn for.
bool IsWestern(const wchar_t* text) {
  BOOL lost = FALSE;
  return WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &lost) > 0 && !lost;
}

}  // namespace

void ChooseSkinFontFor(HDC dc, const wchar_t* texts) {
  if (IsWestern(texts) || FontCovers(dc, skinFontFace, skinFontCharset, texts)) return;
  const Script* script = &kScripts[3];
  for (const Script& candidate : kScripts) {
    if (candidate.language == PRIMARYLANGID(TextLanguage())) script = &candidate;
  }
  const wchar_t* chosen = script->faces[0];  // where none has them all, the system makes the most of it
  for (const wchar_t* face : script->faces) {
    if (FontCovers(dc, face, script->charset, texts)) {
      chosen = face;
      break;
    }
  }
  lstrcpynW(skinFontFace, chosen, LF_FACESIZE);
  skinFontCharset = script->charset;
}

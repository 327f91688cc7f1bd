// SPDX-License-Identifier: GPL-3.0-or-later
#include "KeyName.h"

#include <iterator>

namespace {

struct NamedKey {
  uint8_t vk;
  const wchar_t* name;
};

constexpr NamedKey kNamedKeys[] = {
    {0x08, L"Backspace"}, {0x09, L"Tab"},       {0x0C, L"Clr"},         {0x0D, L"Enter"},    {0x10, L"Shift"},
    {0x11, L"Ctrl"},      {0x12, L"Alt"},       {0x13, L"Pause"},       {0x14, L"CapsLock"}, {0x1B, L"Esc"},
    {0x20, L"Space"},     {0x21, L"PageUp"},    {0x22, L"PageDown"},    {0x23, L"End"},      {0x24, L"Home"},
    {0x25, L"Left"},      {0x26, L"Up"},        {0x27, L"Right"},       {0x28, L"Down"},     {0x29, L"Select"},
    {0x2A, L"Print"},     {0x2B, L"Enter"},     {0x2C, L"Snapshot"},    {0x2D, L"Insert"},   {0x2E, L"Delete"},
    {0x2F, L"Help"},      {0x5B, L"LWin"},      {0x5C, L"RWin"},        {0x5D, L"App"},      {0x6A, L"(*)"},
    {0x6B, L"(+)"},       {0x6C, L"\\"},        {0x6D, L"(-)"},         {0x6E, L"(.)"},      {0x6F, L"(/)"},
    {0x90, L"Numlock"},   {0x91, L"Scroll Lock"}, {0xA0, L"LShift"},    {0xA1, L"RShift"},   {0xA2, L"LCtrl"},
    {0xA3, L"RCtrl"},     {0xA4, L"LAlt"},      {0xA5, L"RAlt"},
};

// The punctuation keys of a US layout, unshifted: what translating them to a character gives.
constexpr NamedKey kUsPunctuation[] = {
    {0xBA, L";"}, {0xBB, L"="}, {0xBC, L","}, {0xBD, L"-"},  {0xBE, L"."}, {0xBF, L"/"},
    {0xC0, L"`"}, {0xDB, L"["}, {0xDC, L"\\"}, {0xDD, L"]"}, {0xDE, L"'"}, {0xE2, L"\\"},
};

const wchar_t* Find(const NamedKey* begin, const NamedKey* end, uint8_t vk) {
  for (const NamedKey* key = begin; key != end; ++key) {
    if (key->vk == vk) return key->name;
  }
  return nullptr;
}

}  // namespace

std::wstring GetKeyName(uint8_t vk) {
  if (const wchar_t* name = Find(std::begin(kNamedKeys), std::end(kNamedKeys), vk)) return name;
  if (vk >= 0x60 && vk <= 0x69) return L"(" + std::wstring(1, wchar_t(L'0' + vk - 0x60)) + L")";
  if (vk >= 0x70 && vk <= 0x7B) return L"F" + std::to_wstring(vk - 0x70 + 1);
  // Letters and digits type themselves; the virtual-key code of a letter is its capital.
  if (IsCombinationKey(vk)) return std::wstring(1, wchar_t(vk));
  if (const wchar_t* name = Find(std::begin(kUsPunctuation), std::end(kUsPunctuation), vk)) return name;
  return {};
}

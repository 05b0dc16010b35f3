// What the device's HTML view shows of a document: its bytes decoded, then
// plain text kept line for line, or HTML reduced to its readable text with
// the paragraphs and line breaks a browser would give it. Line ends come out
// as CR LF.
//
// Portable: the view hands in the file's bytes and shows what comes back.
// Every function that writes takes a null output to count first, so the
// caller can size one buffer exactly.
#pragma once

#include <cstddef>

namespace zk::ce {

// Decodes a document: UTF-8 or UTF-16 (little or big endian) after their
// byte-order marks; without one, UTF-8 when the bytes are valid UTF-8, else
// Windows code page 1252. Never more units than bytes. Returns the units.
std::size_t DecodeDocument(const unsigned char* bytes, std::size_t size, char16_t* out);

// Whether a decoded document is HTML: by its name (".htm", ".html",
// ".xhtml"), or, for other names, by how it begins.
bool LooksLikeHtml(const char16_t* name, const char16_t* text, std::size_t length);

// The text to show; returns the units (no terminator written).
std::size_t PlainDisplayText(const char16_t* text, std::size_t length, char16_t* out);
std::size_t HtmlDisplayText(const char16_t* text, std::size_t length, char16_t* out);

}  // namespace zk::ce

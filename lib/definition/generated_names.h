#pragma once

#include "text/wide_string.h"

// The names and file names that the generated C++ is made of, in one place:
// the writers spell their output with them and the checker looks for clashes
// with them.
namespace textresgen::names {

// The definition file, read from the current folder:  TextResouce.txt
inline constexpr const char* kDefinitionFile = "TextResouce.txt";
// The generated source, which includes the header:  textresouce.cpp
inline constexpr const char* kSourceFile = "textresouce.cpp";
// The generated header:  #include "textresouce.h"
inline constexpr const char* kHeaderFile = "textresouce.h";

// The top-level structure:  struct TextResource { ... };
inline constexpr WideStringView kTypeName = u"TextResource";
// The header's include guard, the type name between underscores:
//   #ifndef _TextResource_
inline constexpr WideStringView kIncludeGuard = u"_TextResource_";
// The type of every entry's member:  typedef const wchar_t* S;  ...  S Open;
inline constexpr WideStringView kMemberType = u"S";
// A group's structure type is the group's name behind this prefix:
//   struct _Menu { ... } Menu;
inline constexpr char16_t kGroupTypePrefix = u'_';
// The exported function and its parameter:
//   extern "C" __declspec(dllexport) void InitString(TextResource& t)
inline constexpr WideStringView kInitFunction = u"InitString";
inline constexpr WideStringView kInitParameter = u"t";

}  // namespace textresgen::names

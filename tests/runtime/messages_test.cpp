// Typed messages and the check at load, on the catalog "msg": msg_en, built
// from messages_en.txt by textresgen_add_library (so its companion
// textresouce_messages.h is the one this test compiles with), and msg_de,
// written by hand with msg_en's stamp.
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <textresgen/runtime.h>
#include "textresouce_layout.h"

namespace {

using textresgen::BaseTextsOf;
using textresgen::Catalog;
using Base = BaseTextsOf<TextResource>;

std::shared_ptr<const textresgen::Loaded<TextResource>> Load(const char* language) {
    Catalog<TextResource> catalog(TEXTRESGEN_MESSAGE_LANGUAGES, "msg", "en");
    return catalog.Load({language});
}

// The long text CMakeLists.txt adds to the definition.
std::wstring LongText() {
    std::wstring text;
    for (int i = 0; i < 1200; ++i) text += L"Long \"text\" \\ \u00e9\u4e2d ?? ";
    return text + L"%c";
}

// Every member's name in the companion, by index.
std::vector<std::string> CompanionNames() {
    std::vector<std::string> names;
    for (const char* piece : Base::kNames)
        for (const char* name = piece; *name != '\0'; name += std::strlen(name) + 1) names.push_back(name);
    return names;
}

using Getter = const wchar_t* const& (*)(const TextResource&);

// The companion against the definition: each member's name, whether the
// check compares it (its base text holds a '%'), and its text exactly as
// the generated library holds it, which the companion must spell alike.
TEST(Messages, CompanionHoldsEachMembersNameAndBaseText) {
    struct Row {
        const char* name;
        Getter member;
        bool compared;
        std::wstring text;
    };
    const Row rows[] = {
        {"Status.Saved", [](const TextResource& t) -> const wchar_t* const& { return t.Status.Saved; }, true,
         L"Saved %d notes to %s"},
        {"Status.Sizes", [](const TextResource& t) -> const wchar_t* const& { return t.Status.Sizes; }, true,
         L"%zu bytes in %ls, %lld in all"},
        {"Status.Percent", [](const TextResource& t) -> const wchar_t* const& { return t.Status.Percent; }, true,
         L"100%% done"},
        {"Files.Deleted.one", [](const TextResource& t) -> const wchar_t* const& { return t.Files.Deleted.one; },
         true, L"%s: one file deleted"},
        {"Files.Deleted.two", [](const TextResource& t) -> const wchar_t* const& { return t.Files.Deleted.two; },
         true, L"%s: %d files deleted"},
        {"Plain.Text", [](const TextResource& t) -> const wchar_t* const& { return t.Plain.Text; }, false,
         L"No directives here"},
        {"Plain.Loose", [](const TextResource& t) -> const wchar_t* const& { return t.Plain.Loose; }, true,
         L"100% sure"},
        {"Hostile.Quotes", [](const TextResource& t) -> const wchar_t* const& { return t.Hostile.Quotes; }, true,
         L"Say \"hi\" %s to C:\\temp\\ ?\?= 'ok'"},
        {"Hostile.Gr\xC3\xB6\xC3\x9F" "e",
         [](const TextResource& t) -> const wchar_t* const& { return t.Hostile.Größe; }, true,
         L"Gr\u00f6\u00dfe \u2013 \u00fcn\u00efc\u00f6d\u00e9 \U0001F600 \u00e9\U0001F600 AA tab\there %d"},
        {"Hostile.Surrogates", [](const TextResource& t) -> const wchar_t* const& { return t.Hostile.Surrogates; },
         true, std::wstring(L"\xD83D") + L"\xDE00" + L" then 7 %ls"},
        {"Hostile.Long", [](const TextResource& t) -> const wchar_t* const& { return t.Hostile.Long; }, true,
         LongText()},
    };
    const auto en = Load("en");
    ASSERT_EQ(en->Language(), "en");
    EXPECT_TRUE(en->Problems().empty()) << en->Problems().front();
    const std::vector<std::string> names = CompanionNames();
    ASSERT_EQ(names.size(), Base::kMembers);
    ASSERT_EQ(Base::kMembers * sizeof(const wchar_t*), sizeof(TextResource));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TextResource& texts = en->Get();
        const std::size_t index = static_cast<std::size_t>(reinterpret_cast<const char*>(&row.member(texts)) -
                                                           reinterpret_cast<const char*>(&texts)) /
                                  sizeof(const wchar_t*);
        EXPECT_EQ(row.member(texts), row.text);  // the generator's literal
        EXPECT_EQ(names[index], row.name);
        const textresgen::detail::BaseText* entry = Base::kTexts;
        while (entry->index < index) ++entry;
        ASSERT_EQ(entry->index == index, row.compared);
        if (!row.compared) continue;
        EXPECT_STREQ(entry->name, row.name);
        EXPECT_EQ(std::wstring(entry->text), row.text);  // the companion's literal
    }
}

TEST(Messages, TextsThatTakeOtherArgumentsGetTheBaseTextAtLoad) {
    const auto de = Load("de");
    ASSERT_EQ(de->Language(), "de");
    const TextResource& t = de->Get();
    EXPECT_STREQ(t.Status.Saved, L"Saved %d notes to %s");  // swapped directives
    EXPECT_STREQ(t.Plain.Text, L"No directives here");     // %s%n added: the fallback library's text
    EXPECT_STREQ(t.Status.Sizes, L"%zu Bytes in %ls, %lld insgesamt");
    EXPECT_STREQ(t.Files.Deleted.one, L"%s: eine Datei gel\u00f6scht");  // leaves out the last, the count
    EXPECT_STREQ(t.Plain.Loose, L"100 % sicher");                        // the base's is no format
    ASSERT_EQ(de->Problems().size(), 2u);
    EXPECT_EQ(de->Problems()[0], "Plain.Text: is no valid printf format (or holds %n), but the base's text takes no "
                                 "arguments: the base's text is shown");
    EXPECT_EQ(de->Problems()[1].rfind("Status.Saved: takes (", 0), 0u) << de->Problems()[1];
}

TEST(Messages, FormatPutsTypedArgumentsIntoTheLoadedText) {
    namespace msg = textresgen::msg;
    const auto de = Load("de");
    EXPECT_EQ(de->Format(msg::Status::Saved, 3, "notes.txt"), L"Saved 3 notes to notes.txt");
    EXPECT_EQ(de->Format(msg::Status::Saved, 3, std::string("a")), L"Saved 3 notes to a");
    EXPECT_EQ(de->FormatUtf8(msg::Status::Saved, 4, "b"), "Saved 4 notes to b");
    EXPECT_EQ(de->Format(msg::Status::Sizes, std::size_t{7}, std::wstring(L"x"), 9LL), L"7 Bytes in x, 9 insgesamt");
    EXPECT_EQ(de->Format(msg::Status::Percent), L"100 % fertig");
    // A plural message: the form of the count, the last integer argument.
    EXPECT_EQ(de->Format(msg::Files::Deleted, "/tmp", 1), L"/tmp: eine Datei gel\u00f6scht");
    EXPECT_EQ(de->Format(msg::Files::Deleted, "/tmp", 5), L"/tmp: 5 Dateien gel\u00f6scht");
    const auto en = Load("en");
    EXPECT_EQ(en->Format(msg::Files::Deleted, "/t", 1), L"/t: one file deleted");
}

// The check itself, with a signature of its own (the conversion letters),
// so that it does not depend on PrintfSignature's spelling: a plural
// message's `other` and `one` in the table, a member without directives
// in the base not.
TEST(Messages, CheckReplacesExactlyTheMembersThatDiffer) {
    using textresgen::detail::BaseText;
    const BaseText table[] = {
        {0, "G.other", "s,d", L"%s: %d", 0, false},
        {1, "G.one", "s", L"%s: one", 0, true},
        {3, "", "", L"", 0, false},
    };
    const char* const names[] = {"G.other\0G.one\0G.plain\0"};
    struct Case {
        const wchar_t* texts[3];
        bool baseAtHand;
        const wchar_t* after[3];
        const char* problem;  // the one expected, or null
    };
    const Case cases[] = {
        {{L"%s: %d", L"%s: eins", L"schlicht"}, true, {L"%s: %d", L"%s: eins", L"schlicht"}, nullptr},
        {{L"%s: %d", L"%s: %d", L"100%%"}, false, {L"%s: %d", L"%s: %d", L"100%%"}, nullptr},
        {{L"%d: %s", L"%s: %d", L"schlicht"}, true, {L"%s: %d", L"%s: %d", L"schlicht"}, "G.other: "},
        {{L"%s: %d", L"%d", L"schlicht"}, true, {L"%s: %d", L"%s: one", L"schlicht"}, "G.one: "},
        {{L"%s: %d", L"eins", L"schlicht"}, true, {L"%s: %d", L"%s: one", L"schlicht"}, "G.one: "},
        {{L"%s: %d", L"%s: eins", L"%s%n"}, true, {L"%s: %d", L"%s: eins", L"base"}, "G.plain: "},
        {{L"%s: %d", L"%s: eins", L"%s%n"}, false, {L"%s: %d", L"%s: eins", L""}, "G.plain: "},
    };
    const auto signature = [](std::wstring_view text) {
        std::string letters;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            if (text[i] != L'%') continue;
            if (text[++i] == L'%') continue;
            if (!letters.empty()) letters += ',';
            letters += static_cast<char>(text[i]);
        }
        return letters;
    };
    const std::vector<std::string> expected = textresgen::detail::ExpectedSignatures(table, 3, signature);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.texts[0]) + L" | " + c.texts[1] + L" | " + c.texts[2]));
        const wchar_t* texts[3] = {c.texts[0], c.texts[1], c.texts[2]};
        const auto base = [&c](void* out) -> std::shared_ptr<const void> {
            if (!c.baseAtHand) return nullptr;
            const wchar_t* own[3] = {L"%d of %s", L"one of %s", L"base"};
            std::memcpy(out, own, sizeof own);
            return std::make_shared<int>(0);
        };
        const textresgen::detail::CheckedTexts checked =
            textresgen::detail::CheckMembers(texts, 3, table, expected, names, 1, signature, base);
        for (int i = 0; i < 3; ++i) EXPECT_STREQ(texts[i], c.after[i]) << i;
        ASSERT_EQ(checked.problems.size(), c.problem == nullptr ? 0u : 1u);
        if (c.problem != nullptr) {
            EXPECT_EQ(checked.problems[0].rfind(c.problem, 0), 0u) << checked.problems[0];
        }
    }
}

}  // namespace

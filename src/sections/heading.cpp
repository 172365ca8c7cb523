// Heading word lists and the order in which they are tried.
#include "sections/heading.hpp"

#include <string>

#include "md/phrase.hpp"
#include "sections/section_text.hpp"

namespace tovik::sections {

namespace {

constexpr std::string_view kTroubleshootingHeadings[] = {"faq",
                                                         "troubleshooting",
                                                         "frequently asked questions",
                                                         "exceptions",
                                                         "known issues",
                                                         "故障排查",
                                                         "故障处理",
                                                         "常见问题",
                                                         "例外",
                                                         "トラブルシューティング",
                                                         "よくある質問"};
constexpr std::string_view kReferenceHeadings[] = {"api reference", "configuration reference",
                                                   "parameters",    "return values",
                                                   "options",       "参数",
                                                   "配置参考",      "返回值",
                                                   "パラメータ",    "戻り値",
                                                   "リファレンス",  "オプション"};
constexpr std::string_view kBackgroundHeadings[] = {"background", "description", "overview", "concepts",
                                                    "背景",       "概述",        "概要",     "概念",
                                                    "总览",       "説明",        "例外処理"};
constexpr std::string_view kStepsHeadings[] = {
    "getting started", "quick start", "quickstart", "installation", "install",          "procedure",
    "安装步骤",        "快速开始",    "操作步骤",   "インストール", "クイックスタート", "手順"};
constexpr std::string_view kDecisionHeadings[] = {"rationale", "design decisions", "设计决策",  "设计理由",
                                                  "设计权衡",  "設計判断",         "設計の理由"};
constexpr std::string_view kDecisionHeadingStarts[] = {"why we chose", "why we choose", "why we use",
                                                       "为什么选择", "採用した理由"};
constexpr std::string_view kTradeoffHeadings[] = {"tradeoffs", "trade-offs"};
constexpr std::string_view kTradeoffHeadingStarts[] = {"why use", "为什么要用"};
constexpr std::string_view kTroublePhrases[] = {"よくある質問", "not working", "not formatting",
                                                "does not work"};

bool is_decision_heading(std::string_view h) {
  return is_one_of(h, kDecisionHeadings) || md::begins_with_phrase(h, kDecisionHeadingStarts) ||
         is_one_of(h, kTradeoffHeadings) || md::begins_with_phrase(h, kTradeoffHeadingStarts);
}

}  // namespace

std::optional<SectionType> classify_heading(std::string_view text) {
  const std::string h = normalize_heading(text);
  if (is_one_of(h, kTroubleshootingHeadings)) return SectionType::troubleshooting;
  if (is_one_of(h, kReferenceHeadings)) return SectionType::reference;
  if (is_one_of(h, kBackgroundHeadings)) return SectionType::background;
  if (is_one_of(h, kStepsHeadings)) return SectionType::steps;
  if (is_decision_heading(h)) return SectionType::rationale;
  if (md::contains_phrase(h, kTroublePhrases)) return SectionType::troubleshooting;
  if (h.ends_with(" overview")) return SectionType::background;
  return std::nullopt;
}

}  // namespace tovik::sections

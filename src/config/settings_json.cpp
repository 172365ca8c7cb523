// Serialising settings for reports.
#include "config/settings_json.hpp"

namespace tovik::config {

namespace {

nlohmann::json lexicon_json(const Lexicon& lexicon) {
  return {
      {"extend-stale-markers", lexicon.extend_stale_markers},
      {"extend-constraint-markers", lexicon.extend_constraint_markers},
      {"extend-commit-contexts", lexicon.extend_commit_contexts},
      {"extend-pointer-markers", lexicon.extend_pointer_markers},
      {"extend-source-pointers", lexicon.extend_source_pointers},
      {"extend-rationale-headings", lexicon.extend_rationale_headings},
      {"extend-conversation-markers", lexicon.extend_conversation_markers},
  };
}

}  // namespace

nlohmann::json settings_json(const Settings& settings) {
  nlohmann::json kinds = nlohmann::json::array();
  for (const KindMapping& k : settings.kinds) kinds.push_back({{"path", k.path}, {"kind", k.kind}});
  nlohmann::json domains = nlohmann::json::array();
  for (const DomainMapping& d : settings.domains) domains.push_back({{"path", d.path}, {"name", d.name}});
  nlohmann::json sites = nlohmann::json::array();
  for (const SiteMapping& s : settings.sites) {
    nlohmann::json site = {{"path", s.path}, {"root", s.root}, {"base", s.base}};
    if (s.public_dir) site["public"] = *s.public_dir;
    sites.push_back(std::move(site));
  }

  const LintSettings& lint = settings.lint;
  nlohmann::json per_file_ignores = nlohmann::json::object();
  for (const auto& [glob, selectors] : lint.per_file_ignores) per_file_ignores[glob] = selectors;
  nlohmann::json lexicon = nlohmann::json::object();
  for (const auto& [language, entry] : lint.lexicon) lexicon[language] = lexicon_json(entry);

  return {
      {"include", settings.include},
      {"exclude", settings.exclude},
      {"preview", settings.preview},
      {"kinds", std::move(kinds)},
      {"domains", std::move(domains)},
      {"sites", std::move(sites)},
      {"lint",
       {
           {"select", lint.select},
           {"ignore", lint.ignore},
           {"languages", lint.languages},
           {"per-file-ignores", std::move(per_file_ignores)},
           {"dup",
            {
                {"min-identifiers", lint.dup.min_identifiers},
                {"min-jaccard", lint.dup.min_jaccard},
                {"min-paragraph-similarity", lint.dup.min_paragraph_similarity},
                {"min-paragraph-chars", lint.dup.min_paragraph_chars},
                {"shingle-size", lint.dup.shingle_size},
            }},
           {"ptr", {{"catalog-dirs", lint.ptr.catalog_dirs}}},
           {"lexicon", std::move(lexicon)},
       }},
  };
}

}  // namespace tovik::config

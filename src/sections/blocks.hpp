// Tests on single blocks that reveal a section's role: instructions, runnable examples, program
// output and reference material. Blocks are given by index into `doc.blocks`. Each test that reads
// prose also takes a TextCache, for callers that test many blocks of one document.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "md/document.hpp"
#include "sections/section_text.hpp"

namespace tovik::sections {

// The paragraph written just before `block` at the same nesting level: among the blocks of the
// block's section, the last one with the same parent that ends at or before the block starts,
// HTML comments and thematic breaks skipped; nothing when that block is not a paragraph.
std::optional<std::uint32_t> preceding_paragraph(const md::Document& doc, std::uint32_t block);

// A code block that shows what a program printed: the paragraph before it announces output or an
// error, or its section's heading starts with "output" (or a translation).
bool is_output_block(const md::Document& doc, std::uint32_t block);
bool is_output_block(TextCache& texts, std::uint32_t block);

// The nearest section with a heading, from `section` up, is about output (its heading ends with
// " output", or names a sample conversation or assistant response).
bool is_output_section(const md::Document& doc, std::uint32_t section);

// Prose that tells the reader to do something: after an optional "First, ", "Next, ", "Then, ",
// "Finally, ", "You can ", "You should " or "You must ", it starts with an imperative verb or an
// opening phrase (English, Chinese or Japanese), or it holds a Japanese request form anywhere.
bool is_instruction_text(std::string_view text);

// A code block meant to be run: not output; its first line of content (comments and blank lines
// skipped) is not a template (`{{`); its language is a shell, or a `console` session whose first
// line has a prompt, or else the paragraph before it is an instruction.
bool is_runnable_example(const md::Document& doc, std::uint32_t block);
bool is_runnable_example(TextCache& texts, std::uint32_t block);

// A block that gives an instruction, outside quotes and output sections: a runnable code block, an
// instruction paragraph, or a numbered list whose first item opens with an instruction paragraph.
bool is_instruction(const md::Document& doc, std::uint32_t block);
bool is_instruction(TextCache& texts, std::uint32_t block);

// A table, or a paragraph that documents an API (starts with "Returns" and the like, or speaks of
// optional fields or annotations) and holds inline code.
bool is_reference_content(const md::Document& doc, std::uint32_t block);
bool is_reference_content(TextCache& texts, std::uint32_t block);

}  // namespace tovik::sections

# Sources of the Markdown parser library.
set(TOVIK_MARKDOWN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/placeholder.cpp
)

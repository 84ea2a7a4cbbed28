#pragma once

// What an input file holds, for the malformations that suit it.
enum class FileContent { kImage, kTabular, kMarkup, kJson };

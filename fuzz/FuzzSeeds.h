// Each fuzz target names the inputs its mutants start from: well-formed replies and files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::vector<std::vector<uint8_t>> FuzzSeeds();

inline std::vector<uint8_t> SeedBytes(const std::string& s) { return {s.begin(), s.end()}; }

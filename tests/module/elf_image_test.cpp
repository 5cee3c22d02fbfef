// The image as a host process loads it: entry point, binding, dependencies and
// hardening, read from the ELF file itself.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

class ElfImage : public ::testing::Test {
 protected:
  std::vector<char> file_;
  const Elf64_Ehdr* header_ = nullptr;

  void SetUp() override {
    std::ifstream in(KORVALEN_MODULE_PATH, std::ios::binary | std::ios::ate);
    file_.resize(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(file_.data(), static_cast<std::streamsize>(file_.size()));
    ASSERT_GE(file_.size(), sizeof(Elf64_Ehdr));
    header_ = reinterpret_cast<const Elf64_Ehdr*>(file_.data());
  }
  template <typename T>
  const T* at(std::uint64_t offset) const {
    return reinterpret_cast<const T*>(file_.data() + offset);
  }
  std::span<const Elf64_Phdr> segments() const {
    const auto* p = at<Elf64_Phdr>(header_->e_phoff);
    return {p, p + header_->e_phnum};
  }
  const Elf64_Shdr* section(std::uint32_t type) const {
    const auto* s = at<Elf64_Shdr>(header_->e_shoff);
    for (int i = 0; i < header_->e_shnum; ++i)
      if (s[i].sh_type == type) return &s[i];
    return nullptr;
  }
  std::span<const Elf64_Dyn> dynamic() const {
    const Elf64_Shdr* d = section(SHT_DYNAMIC);
    const auto* p = at<Elf64_Dyn>(d->sh_offset);
    return {p, p + d->sh_size / sizeof(Elf64_Dyn)};
  }
  const char* dynamic_string(std::uint64_t offset) const {
    const Elf64_Shdr* dynsym = section(SHT_DYNSYM);
    const auto* all = at<Elf64_Shdr>(header_->e_shoff);
    return at<char>(all[dynsym->sh_link].sh_offset + offset);
  }
};

TEST_F(ElfImage, EntryPointIsMcnMain) {
  const Elf64_Shdr* dynsym = section(SHT_DYNSYM);
  ASSERT_NE(dynsym, nullptr);
  const auto* symbols = at<Elf64_Sym>(dynsym->sh_offset);
  std::uint64_t address = 0;
  for (std::size_t i = 0; i < dynsym->sh_size / sizeof(Elf64_Sym); ++i) {
    if (std::strcmp(dynamic_string(symbols[i].st_name), "mcn_main") == 0) {
      address = symbols[i].st_value;
    }
  }
  EXPECT_NE(address, 0u);
  EXPECT_EQ(header_->e_entry, address);
}

TEST_F(ElfImage, SymbolicBindingFullRelroNoTextRelocations) {
  bool symbolic = false, bind_now = false, textrel = false;
  for (const Elf64_Dyn& d : dynamic()) {
    if (d.d_tag == DT_SYMBOLIC) symbolic = true;
    if (d.d_tag == DT_FLAGS) {
      symbolic |= (d.d_un.d_val & DF_SYMBOLIC) != 0;
      bind_now |= (d.d_un.d_val & DF_BIND_NOW) != 0;
      textrel |= (d.d_un.d_val & DF_TEXTREL) != 0;
    }
    if (d.d_tag == DT_FLAGS_1) bind_now |= (d.d_un.d_val & DF_1_NOW) != 0;
    if (d.d_tag == DT_BIND_NOW) bind_now = true;
    if (d.d_tag == DT_TEXTREL) textrel = true;
  }
  EXPECT_TRUE(symbolic);
  EXPECT_TRUE(bind_now);
  EXPECT_FALSE(textrel);

  bool relro = false, stack_seen = false;
  for (const Elf64_Phdr& p : segments()) {
    if (p.p_type == PT_GNU_RELRO) relro = true;
    if (p.p_type == PT_GNU_STACK) {
      stack_seen = true;
      EXPECT_EQ(p.p_flags & PF_X, 0u);
    }
  }
  EXPECT_TRUE(relro);
  EXPECT_TRUE(stack_seen);
}

TEST_F(ElfImage, NeedsNoMoreThanLibcAndLibm) {
  std::set<std::string> needed;
  for (const Elf64_Dyn& d : dynamic())
    if (d.d_tag == DT_NEEDED) needed.insert(dynamic_string(d.d_un.d_val));
#ifdef KORVALEN_SANITIZED
  // Sanitizer builds carry their runtimes; the release build is the image.
  std::erase_if(needed, [](const std::string& n) {
    return n.starts_with("libasan") || n.starts_with("libubsan") || n.starts_with("libtsan") ||
           n.starts_with("libstdc++") || n.starts_with("libgcc_s");
  });
#endif
  for (const std::string& name : needed) {
    EXPECT_TRUE(name == "libc.so.6" || name == "libm.so.6") << name;
  }
}

}  // namespace

// Test switches: answers a test can ask of the client (see BtrvTestSwitch).
#pragma once

#include <string>
#include <vector>

namespace btrvc {

class TestSwitches {
 public:
  // Replaces every setting by those of `spec`; false (nothing changed) for a
  // malformed spec.  An empty spec switches everything off.
  bool Set(const std::string& spec);

  bool NotResident() const { return notResident_; }
  // True, with the version, when a version was switched in.
  bool Version(int& major, int& minor) const;
  // The status an injected failure answers for this call of `op` on the file
  // (name folded to upper case), or 0.  Counts the call.
  int Fail(int op, const std::string& foldedFile);
  // The status a commit of a folder's write transaction fails with (its
  // writes rolled back, as a full disk would leave them), or 0.  Counts the
  // commit.
  int FailCommit();
  // Replaces the bounds a caller asks of a group (BtrvGroupBegin) when a
  // test set them.
  void GroupBounds(int& units, int& millis) const;

 private:
  struct Rule {
    int op = 0;
    std::string file;  // folded; "*" matches every file
    long nth = 0;
    int status = 0;
    long calls = 0;
  };
  bool notResident_ = false;
  bool hasVersion_ = false;
  int major_ = 0;
  int minor_ = 0;
  std::vector<Rule> rules_;
  long commitNth_ = 0;
  int commitStatus_ = 0;
  long commits_ = 0;
  int groupUnits_ = 0;
  int groupMillis_ = 0;
};

}  // namespace btrvc

// Positioning: each case is a sequence of steps on the sample file of five
// people (ids 1-5, names Alpha, bravo, BRAVO, Charlie, delta, amounts 10.5,
// -3, 0, -100.25, 7; positions follow the ids) and the status and person each
// step must give.
#include <cstring>
#include <string>
#include <vector>

#include "btrvc_fixture.h"

namespace btrvc_test {
namespace {

enum class Act {
  kGet,         // arg = operation; text = the key looked for (on the current key)
  kSetKey,      // arg = key number
  kDelete,      // deletes the current record
  kRename,      // updates the current record's name to text
  kInsert,      // inserts person arg named text
  kSavePos,     // BtrvPosition 23
  kRestorePos,  // BtrvPosition 0 with the saved position
  kDirect,      // BtrvGetOp 23 with the saved position
};

struct Step {
  Act act;
  int arg = 0;
  std::string text;
  int status = 0;
  int id = 0;  // the person read (kGet, kDirect), 0 = not checked
};

struct Case {
  const char* name;
  bool empty;  // start from an empty file
  std::vector<Step> steps;
};

Step Get(int op, int status, int id = 0, std::string key = "") {
  return {Act::kGet, op, std::move(key), status, id};
}
Step GetKey(int op, std::string key, int status, int id = 0) {
  return {Act::kGet, op, std::move(key), status, id};
}
Step SetKey(int k) { return {Act::kSetKey, k, "", 0, 0}; }
Step Del() { return {Act::kDelete, 0, "", 0, 0}; }
Step Rename(std::string name) { return {Act::kRename, 0, std::move(name), 0, 0}; }
Step Add(int id, std::string name) { return {Act::kInsert, id, std::move(name), 0, 0}; }
Step Save() { return {Act::kSavePos, 0, "", 0, 0}; }
Step Restore(int status = 0) { return {Act::kRestorePos, 0, "", status, 0}; }
Step Direct(int status, int id) { return {Act::kDirect, 0, "", status, id}; }

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"EmptyFile", true,
       {Get(kOpGetFirst, 9), Get(kOpGetLast, 9), GetKey(kOpGetEqual, "1", 4),
        GetKey(kOpGetGreaterOrEqual, "1", 9), GetKey(kOpGetLessOrEqual, "1", 9),
        Get(kOpGetNext, 8), Get(kOpGetPrevious, 8)}},
      {"FirstNextToTheEnd", false,
       {Get(kOpGetFirst, 0, 1), Get(kOpGetNext, 0, 2), Get(kOpGetNext, 0, 3),
        Get(kOpGetNext, 0, 4), Get(kOpGetNext, 0, 5), Get(kOpGetNext, 9),
        // the end leaves the handle on the last record
        Get(kOpGetPrevious, 0, 4)}},
      {"LastPreviousToTheStart", false,
       {Get(kOpGetLast, 0, 5), Get(kOpGetPrevious, 0, 4), Get(kOpGetPrevious, 0, 3),
        Get(kOpGetPrevious, 0, 2), Get(kOpGetPrevious, 0, 1), Get(kOpGetPrevious, 9),
        Get(kOpGetNext, 0, 2)}},
      {"SearchesOnAUniqueKey", false,
       {GetKey(kOpGetEqual, "3", 0, 3), Get(kOpGetNext, 0, 4), GetKey(kOpGetEqual, "9", 4),
        // a miss leaves the handle where it was
        Get(kOpGetNext, 0, 5), GetKey(kOpGetGreater, "3", 0, 4),
        GetKey(kOpGetGreaterOrEqual, "3", 0, 3), GetKey(kOpGetLessOrEqual, "3", 0, 3),
        GetKey(kOpGetLess, "3", 0, 2), GetKey(kOpGetGreaterOrEqual, "6", 9),
        GetKey(kOpGetGreater, "5", 9), GetKey(kOpGetLess, "1", 9),
        GetKey(kOpGetLessOrEqual, "0", 9), GetKey(kOpGetLessOrEqual, "-7", 9),
        GetKey(kOpGetGreaterOrEqual, "-7", 0, 1)}},
      {"DuplicatesFollowPositionOrderWithoutCase", false,
       {SetKey(1), GetKey(kOpGetEqual, "BRAVO", 0, 2), Get(kOpGetNext, 0, 3),
        Get(kOpGetNext, 0, 4), Get(kOpGetPrevious, 0, 3), Get(kOpGetPrevious, 0, 2),
        Get(kOpGetPrevious, 0, 1), GetKey(kOpGetEqual, "bravo", 0, 2),
        GetKey(kOpGetLessOrEqual, "Bravo", 0, 3), GetKey(kOpGetLess, "bravo", 0, 1),
        GetKey(kOpGetGreater, "bravo", 0, 4), GetKey(kOpGetGreaterOrEqual, "b", 0, 2),
        GetKey(kOpGetEqual, "brav", 4), Get(kOpGetFirst, 0, 1), Get(kOpGetLast, 0, 5),
        Get(kOpGetPrevious, 0, 4)}},
      {"DoublesOrderNumericallyWithNegatives", false,
       {SetKey(2), Get(kOpGetFirst, 0, 4), Get(kOpGetNext, 0, 2), Get(kOpGetNext, 0, 3),
        Get(kOpGetNext, 0, 5), Get(kOpGetNext, 0, 1), Get(kOpGetNext, 9),
        GetKey(kOpGetEqual, "-3", 0, 2), GetKey(kOpGetGreaterOrEqual, "-50", 0, 2),
        GetKey(kOpGetLess, "0", 0, 2), GetKey(kOpGetEqual, "-0", 0, 3),
        GetKey(kOpGetLessOrEqual, "-1000", 9)}},
      {"NextAfterDeletingTheCurrentRecord", false,
       {Get(kOpGetFirst, 0, 1), Get(kOpGetNext, 0, 2), Del(), Get(kOpGetNext, 0, 3),
        Get(kOpGetPrevious, 0, 1)}},
      {"PreviousAfterDeletingTheCurrentRecord", false,
       {Get(kOpGetLast, 0, 5), Del(), Get(kOpGetPrevious, 0, 4), Get(kOpGetNext, 9)}},
      {"DeletingAlongADuplicateKey", false,
       {SetKey(1), GetKey(kOpGetEqual, "bravo", 0, 2), Del(), Get(kOpGetNext, 0, 3), Del(),
        Get(kOpGetNext, 0, 4), Get(kOpGetPrevious, 0, 1)}},
      {"PurgeWalkDeletesEverything", false,
       {Get(kOpGetFirst, 0, 1), Del(), Get(kOpGetNext, 0, 2), Del(), Get(kOpGetNext, 0, 3), Del(),
        Get(kOpGetNext, 0, 4), Del(), Get(kOpGetNext, 0, 5), Del(), Get(kOpGetNext, 9),
        Get(kOpGetFirst, 9)}},
      {"KeyChangeMovesTheWalkForward", false,
       {SetKey(1), Get(kOpGetFirst, 0, 1), Rename("zulu"), Get(kOpGetNext, 9),
        Get(kOpGetPrevious, 0, 5)}},
      {"KeyChangeMovesTheWalkBack", false,
       {SetKey(1), GetKey(kOpGetEqual, "delta", 0, 5), Rename("Aaron"), Get(kOpGetNext, 0, 1),
        Get(kOpGetNext, 0, 2)}},
      {"SetKeyKeepsTheCurrentRecord", false,
       {GetKey(kOpGetEqual, "3", 0, 3), SetKey(1), Get(kOpGetNext, 0, 4), Get(kOpGetPrevious, 0, 3),
        Get(kOpGetPrevious, 0, 2), SetKey(0), Get(kOpGetNext, 0, 3)}},
      {"StoredPositionSurvivesAChangeOfKey", false,
       {GetKey(kOpGetEqual, "2", 0, 2), Save(), SetKey(1), Get(kOpGetLast, 0, 5), Restore(),
        Get(kOpGetNext, 0, 3), Restore(), Get(kOpGetPrevious, 0, 1)}},
      {"GetDirectReadsAStoredPositionAndWalksOn", false,
       {GetKey(kOpGetEqual, "4", 0, 4), Save(), Get(kOpGetFirst, 0, 1), Direct(0, 4),
        Get(kOpGetNext, 0, 5)}},
      {"StoredPositionOfADeletedRecord", false,
       {GetKey(kOpGetEqual, "4", 0, 4), Save(), Del(), Restore(kStatusInvalidPosition),
        Direct(kStatusInvalidPosition, 0), Get(kOpGetNext, 0, 5)}},
      {"InsertMakesTheNewRecordCurrent", false,
       {SetKey(1), Add(6, "Bravo"), Get(kOpGetNext, 0, 4), Get(kOpGetPrevious, 0, 6),
        Get(kOpGetPrevious, 0, 3)}},
      {"LookUpOfTheKeyAWalkHasReached", false,
       {SetKey(1), Get(kOpGetFirst, 0, 1), Get(kOpGetNext, 0, 2), Get(kOpGetNext, 0, 3),
        // the first record of the key, not the one the walk is on
        GetKey(kOpGetEqual, "bravo", 0, 2), Get(kOpGetNext, 0, 3), Get(kOpGetNext, 0, 4),
        GetKey(kOpGetEqual, "Charlie", 0, 4), Get(kOpGetNext, 0, 5), GetKey(kOpGetGreaterOrEqual, "charlie", 0, 4),
        Get(kOpGetNext, 0, 5), GetKey(kOpGetGreaterOrEqual, "delta", 0, 5), GetKey(kOpGetEqual, "deltas", 4),
        Get(kOpGetPrevious, 0, 4), GetKey(kOpGetGreaterOrEqual, "Bz", 0, 4), Get(kOpGetNext, 0, 5)}},
      {"WalkGoesOnOverAChangeOfAnotherKey", false,
       {Get(kOpGetFirst, 0, 1), Get(kOpGetNext, 0, 2), Rename("zulu"), Get(kOpGetNext, 0, 3),
        GetKey(kOpGetEqual, "3", 0, 3), Get(kOpGetNext, 0, 4), SetKey(1), Get(kOpGetLast, 0, 2),
        Get(kOpGetPrevious, 0, 5)}},
      {"WalkSeesARecordInsertedAhead", false,
       {Get(kOpGetFirst, 0, 1), Get(kOpGetNext, 0, 2), Add(7, "x"), Get(kOpGetFirst, 0, 1),
        Get(kOpGetNext, 0, 2), Get(kOpGetNext, 0, 3), Get(kOpGetNext, 0, 4), Get(kOpGetNext, 0, 5),
        Get(kOpGetNext, 0, 7), Get(kOpGetNext, 9)}},
  };
  return cases;
}

std::string SearchKey(int keyNumber, const std::string& text) {
  switch (keyNumber) {
    case 0: return IdKey(std::stoi(text));
    case 1: return NameKey(text);
    default: return AmountKey(std::stod(text));
  }
}

class Positioning : public BtrvcPeople, public ::testing::WithParamInterface<Case> {};

TEST_P(Positioning, FollowsTheRecordManagerRules) {
  const Case& c = GetParam();
  if (!c.empty) AddPeople();
  int key = 0;
  std::string saved(4, '\0');
  std::string current;  // the record the handle is on, as last read or written
  for (std::size_t i = 0; i < c.steps.size(); ++i) {
    const Step& s = c.steps[i];
    SCOPED_TRACE("step " + std::to_string(i));
    switch (s.act) {
      case Act::kGet: {
        Read r = btrvc_test::Get(s.arg, h_, s.text.empty() ? "" : SearchKey(key, s.text));
        ASSERT_EQ(r.status, s.status);
        if (r.status == 0) current = r.record;
        if (s.id != 0) {
          EXPECT_EQ(IdOf(r.record), s.id);
        }
        break;
      }
      case Act::kSetKey:
        ASSERT_EQ(BtrvSetKey(h_, s.arg, -1), 0);
        key = s.arg;
        break;
      case Act::kDelete: ASSERT_EQ(Delete(h_), 0); break;
      case Act::kRename: {
        std::string renamed = current;
        std::memset(renamed.data() + 4, 0, 20);
        std::memcpy(renamed.data() + 4, s.text.data(), s.text.size());
        ASSERT_EQ(Update(h_, renamed), 0);
        current = renamed;
        break;
      }
      case Act::kInsert:
        current = Person(s.arg, s.text, 1);
        ASSERT_EQ(Insert(h_, current), 0);
        break;
      case Act::kSavePos: ASSERT_EQ(BtrvPosition(23, h_, saved.data()), 0); break;
      case Act::kRestorePos: ASSERT_EQ(BtrvPosition(0, h_, saved.data()), s.status); break;
      case Act::kDirect: {
        std::string buf = saved + std::string(kPersonLength - 4, '\0');
        std::string kb(255, '\0');
        ASSERT_EQ(BtrvGetOp(kOpGetDirect, h_, kb.data(), buf.data(), kPersonLength), s.status);
        if (s.status == 0) current = buf;
        if (s.id != 0) {
          EXPECT_EQ(IdOf(buf), s.id);
        }
        break;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Btrvc, Positioning, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace btrvc_test

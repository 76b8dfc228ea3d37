// Saving and loading through an object stream, no window: a scoreboard kept
// in an ordered map (player name to score) is saved as a list of its scores
// with "data::scoreboard.dat" and loaded back into a new map. TScore shows
// what a class needs to be saveable: a TData with a TDataType that names it
// with a tag and writes and reads its record.
//   example_scoreboard
#include <iostream>

#include "framework/framework.h"

namespace {

using namespace vtl;

class TScoreType;
Ref<TScoreType> ScoreType();

// One player's entry.
class TScore : public TData {
 public:
  Ref<TDataType> DataType() const override;

  String name;
  int32_t points = 0;
};

// Writes a score as its points, the name's length and the name's 16-bit codes.
class TScoreType : public TDataType {
 public:
  String Tag() const override { return "Example.Scoreboard.TScore"; }

  void WriteObject(const Ref<Object>& object, const Ref<TStream>& stream) override {
    Ref<TScore> score = DowncastObject<TScore>(object);
    stream->WriteInt(score->points);
    stream->WriteInt(score->name.Length());
    for (int32_t i = 0; i < score->name.Length(); ++i) stream->WriteShort(score->name[i]);
  }

  // Files may be damaged: a record that cannot be a score gives the Null
  // object, and the object stream then fails with a runtime error.
  Ref<Object> ReadObject(const Ref<TStream>& stream) override {
    auto score = New<TScore>();
    score->points = stream->ReadInt();
    const int32_t length = stream->ReadInt();
    if (length < 0 || length > 100) return nullptr;
    std::u16string name;
    for (int32_t i = 0; i < length; ++i) name += static_cast<char16_t>(stream->ReadShort());
    score->name = String(std::u16string_view(name));
    return score;
  }
};

// Made once; a data type joins the registry when it is made, so reading
// finds it by its tag.
Ref<TScoreType> ScoreType() {
  static Ref<TScoreType> type = New<TScoreType>();
  return type;
}

Ref<TDataType> TScore::DataType() const { return ScoreType(); }

void Enter(const Ref<TMap>& board, const String& name, int32_t points) {
  auto score = New<TScore>();
  score->name = name;
  score->points = points;
  board->Insert(name, score);  // a name already there keeps its key and gets the new score
}

void Print(const char* title, const Ref<TMap>& board) {
  std::cout << title << ":\n";
  for (Ref<Object> value : board->Values()) {
    Ref<TScore> score = DowncastObject<TScore>(value);
    std::cout << "  " << score->name << " " << score->points << "\n";
  }
}

void Save(const Ref<TMap>& board, const String& url) {
  // The map itself is no data object; its scores, in name order, go as a list.
  auto scores = New<TList>();
  for (Ref<Object> value : board->Values()) scores->AddLast(value);
  Ref<TStream> out = OpenWriteStream(url);
  out->WriteObject(scores);
  out->Close();
}

Ref<TMap> Load(const String& url) {
  auto board = New<TMap>();
  Ref<TStream> in = OpenReadStream(url);
  Ref<TList> scores = DowncastObject<TList>(in->ReadObject());
  in->Close();
  for (Ref<TScore> score : scores->Each<TScore>()) board->Insert(score->name, score);
  return board;
}

void Main() {
  InitFramework();
  ScoreType();

  auto board = New<TMap>();
  Enter(board, "Mira", 1200);
  Enter(board, "Anselm", 950);
  Enter(board, "Jürgen", 1430);
  Enter(board, "Bea", 300);
  Enter(board, "Anselm", 1010);
  Print("scoreboard", board);

  Save(board, "data::scoreboard.dat");
  Ref<TMap> loaded = Load("data::scoreboard.dat");
  Print("loaded from scoreboard.dat", loaded);
  Ref<TScore> best;
  for (Ref<Object> value : loaded->Values()) {
    Ref<TScore> score = DowncastObject<TScore>(value);
    if (!best || score->points > best->points) best = score;
  }
  std::cout << "best: " << best->name << " with " << best->points << "\n";

  try {
    OpenStreamUrl("data::scoreboard.dat", 1, 1);
  } catch (const ThrownObject& thrown) {
    std::cout << "both ways: " << thrown.what() << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }

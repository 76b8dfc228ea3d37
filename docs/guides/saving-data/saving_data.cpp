// Keeps the five best scores and a setting between runs, in the user's data
// folder: scores in a bank of raw ints, the setting as a line of text.
#include <algorithm>
#include <iostream>

#include "framework/framework.h"

using namespace vtl;

constexpr int32_t kScores = 5;

// The scores file is kScores ints; a missing or short file means no scores.
Ref<TBank> LoadScores(const String& path) {
  Ref<TBank> bank = TBank::Load(path);
  if (bank == nullptr || bank->Size() != kScores * 4) bank = TBank::Create(kScores * 4);
  return bank;
}

// Puts score into its place in the table, dropping the lowest.
void AddScore(const Ref<TBank>& bank, int32_t score) {
  int32_t scores[kScores];
  for (int32_t i = 0; i < kScores; ++i) scores[i] = bank->PeekInt(i * 4);
  if (score <= scores[kScores - 1]) return;
  scores[kScores - 1] = score;
  std::sort(scores, scores + kScores, [](int32_t a, int32_t b) { return a > b; });
  for (int32_t i = 0; i < kScores; ++i) bank->PokeInt(i * 4, scores[i]);
}

// Text files: one line per setting, read until the stream ends.
String LoadPlayerName(const String& path) {
  Ref<TStream> file = OpenReadStream(path);
  if (file == nullptr) return "nobody";
  String name = "nobody";
  while (file->Eof() == 0) {
    const String line = file->ReadLine();
    if (LeftChars(line, 5) == "name=") name = MidChars(line, 6);
  }
  file->Close();
  return name;
}

void SavePlayerName(const String& path, const String& name) {
  Ref<TStream> file = OpenWriteStream(path);
  if (file == nullptr) RuntimeError("cannot write " + path + ": " + LastErrorText());
  file->WriteLine("name=" + name);
  file->Close();
}

void Main() {
  InitFramework();
  // Made on first use: $XDG_DATA_HOME/Vantorel Guides/Saving Data, or the
  // same under ~/.local/share.
  const String folder = UserDataDirectory("Vantorel Guides", "Saving Data");
  const String scoresFile = folder + "/scores.bank", settingsFile = folder + "/settings.txt";

  std::cout << "player: " << LoadPlayerName(settingsFile) << "\n";
  SavePlayerName(settingsFile, "Ada");
  std::cout << "player now: " << LoadPlayerName(settingsFile) << "\n";

  Ref<TBank> scores = LoadScores(scoresFile);
  for (int32_t score : {1200, 450, 3000, 80, 990, 2500}) AddScore(scores, score);
  if (scores->Save(scoresFile) == 0) RuntimeError("cannot write " + scoresFile);

  Ref<TBank> again = LoadScores(scoresFile);  // what the next run finds
  std::cout << "best scores:";
  for (int32_t i = 0; i < kScores; ++i) std::cout << " " << again->PeekInt(i * 4);
  std::cout << "\n";
}

int main(int argc, char** argv) { return RunProgram(argc, argv, Main); }

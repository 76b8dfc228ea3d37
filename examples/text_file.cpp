// A UTF-8 text file written and read line by line, no window: a short
// journal in German, Greek and Russian goes into "journal.txt" next to the
// program through the "utf8" protocol and comes back one line at a time.
// The first line is the number of entries: numbers travel as lines of text.
//   example_text_file
#include "framework/framework.h"

namespace {

using namespace vtl;

void Main() {
  InitFramework();
  const String entries[] = {u"Tag 1: Schlüssel gefunden, Tür bleibt zu", u"Tag 2: π ≈ 3,14159 – der Zauber hält",
                            u"Tag 3: «Привет» sagt der Händler"};

  Ref<TStream> out = OpenWriteStream("utf8::journal.txt");
  if (out == nullptr) RuntimeError("journal.txt cannot be written");
  out->WriteInt(3);
  for (const String& entry : entries) out->WriteLine(entry);
  out->Close();
  // More bytes than characters: everything past ASCII takes two or three.
  PrintLine("journal.txt holds " + StringFromInt(LoadBytesUrl("journal.txt")->Length()) + " bytes");

  Ref<TStream> in = OpenReadStream("utf8::journal.txt");
  for (int32_t i = in->ReadInt(); i > 0; --i) {
    String line = in->ReadLine();
    PrintLine(StringFromInt(line.Length()) + " characters: " + line);
  }
  PrintLine(in->Eof() ? "end of the journal" : "more than announced");
  in->Close();
}

}  // namespace

int main(int argc, char** argv) { return vtl::RunProgram(argc, argv, Main); }

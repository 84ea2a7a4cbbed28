#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Box.h"
#include "PageState.h"
#include "ProposalFate.h"
#include "WordOutcome.h"

// What the team store keeps, as plain records: the facts a one-station session keeps in its
// journal, each with what a team adds (who answered, when, in which order). Text is UTF-8;
// the recogniser's documents are bytes.

// A recogniser output of a page, in the database so that no station needs another's files.
struct TeamDocument {
    std::string kind;    // "tsv", "hocr" or "xml" (an ALTO or PAGE document)
    std::string path;    // the file it was read from, full; empty for one a station made
    std::string sha256;  // of `content`, 64 lower-case hexadecimal digits
    std::string content; // the bytes, as read
};

// A page of a batch, as the station that created the batch found it.
struct TeamPageSource {
    int position = 0; // from 1, the batch's order
    std::string name; // names the page's files, as in a one-station session
    std::string imagePath;
    std::string imageSha256;
    int frame = 1;   // from 1
    int ocrPage = 1; // the page number its recogniser output carries
    // No recogniser output came with the page: the station that takes it runs the engine
    // and records what it made (TeamPages::RecordRecognition).
    bool byStation = false;
    std::vector<TeamDocument> documents; // the outputs that came with the page
};

// A batch's inputs, as its first station gave them: its inputs (as given), its rule and
// thresholds, the settings the engine recognises its pages with, and its pages.
struct TeamBatchDefinition {
    std::vector<std::string> inputs;
    double below = 0;
    double charBelow = 0;
    // Above 0: the words are chosen to catch this percentage of a page's expected wrong
    // words (--catch); 0: those below `below`.
    double catchPercent = 0;
    std::string lang; // the engine's -l, empty for its default
    std::string psm;  // its --psm, empty for its default
    std::vector<TeamPageSource> pages;
};

// A batch in the database.
struct TeamBatch {
    std::int64_t id = 0;
    std::string name;
    bool created = false; // by this call; false when it joined one that existed
    // When it was created, UTC to the microsecond ("2024-05-01T09:30:00.123456Z"): with its
    // id and name, what tells it from a batch of another server or one made again.
    std::string createdAt;
    TeamBatchDefinition definition;
};

// A page a station holds: until the server's clock passes the lease's end, no other station
// takes it. `serial` counts the page's takes: a renewal tells the station's own take from a
// later one.
struct TeamLease {
    int position = 0;
    std::int64_t serial = 0;
};

// One word's answer, or a word skipped. A cancelled word is no answer: it is asked again.
struct TeamAnswer {
    std::string answerId; // made by the station (TeamStation::AnswerId)
    int page = 0;         // the page's position in the batch
    int index = 0;        // the word's index, as the journal numbers it
    int place = 0;        // its place among the page's words in reading order
    Box box; // of page pixels
    std::string text; // as recognised
    double confidence = 0;
    WordOutcome outcome = WordOutcome::kOk; // OK, Ignore or skipped: a cancelled word is none
    std::string chosenFor; // why it was shown ("chosen", "audit", ...); empty where not kept
    std::string reason;  // why it was skipped
    std::string corrected; // the operator's text (outcome "ok")
    bool changed = false;
    std::string proposed; // the correction the text field opened with, or empty
    ProposalFate proposal = ProposalFate::kNone; // what became of it
    bool train = false;
    double size = 0;
    double orientation = 0;
    double seconds = 0; // from the dialog's call to the operator's answer
    // What the error model weighs of the word beside its confidence (VerifiedWord's): the
    // least confidence of its characters (below 0: not kept) and whether a second reading
    // read it otherwise (-1: none).
    double leastCharConfidence = -1;
    int secondDiffers = -1;
    std::string operatorName;
    std::string computer;
    std::string instance;
    // Set by the store: the answer's place among the batch's answers in the order they were
    // committed, from 1 (0 for a skipped word), and the server's time of the commit
    // (seconds since 1970, UTC).
    std::int64_t order = 0;
    double answeredAt = 0;
};

// A page with what the database holds of it: where it comes from, every recogniser output
// (the ones that came with it and the one a station made), its state and its answers in
// reading order.
struct TeamPage {
    TeamPageSource source; // its documents: every output the page has
    PageState state = PageState::kWaiting;
    std::string failure;
    std::vector<TeamAnswer> answers;
};

// A decision about recognised text, as proposals learn it: OK with a corrected text
// proposes it for the same recognised text from then on; OK with the recognised text
// withdraws the proposal (`changed` false).
struct TeamDecision {
    std::int64_t order = 0;
    std::string recognised;
    bool changed = false;
    std::string corrected;
};

#include "TeamWords.h"

TeamAnswer TeamWords::ToTeam(const VerifiedWord& word, int page, int place, const TeamStation& station)
{
    TeamAnswer answer;
    answer.page = page;
    answer.index = word.index;
    answer.place = place;
    answer.box = {word.box.left, word.box.top, word.box.width, word.box.height};
    answer.text = word.text;
    answer.confidence = word.confidence;
    answer.outcome = WordOutcomeText(word.outcome);
    answer.reason = word.reason;
    answer.corrected = word.corrected;
    answer.changed = word.changed;
    answer.proposed = word.proposed;
    answer.proposal = ProposalFateText(word.proposal);
    answer.train = word.train;
    answer.size = word.size;
    answer.orientation = word.orientation;
    answer.seconds = word.seconds;
    answer.operatorName = station.operatorName;
    answer.computer = station.computer;
    answer.instance = station.instance;
    return answer;
}

VerifiedWord TeamWords::FromTeam(const TeamAnswer& answer)
{
    VerifiedWord word;
    word.index = answer.index;
    word.box = {answer.box.left, answer.box.top, answer.box.width, answer.box.height};
    word.text = answer.text;
    word.confidence = answer.confidence;
    // The database holds only the words it checks (TeamAnswers): another is no answer.
    word.outcome = WordOutcomeFromText(answer.outcome).value_or(WordOutcome::kCancel);
    word.reason = answer.reason;
    word.corrected = answer.corrected;
    word.changed = answer.changed;
    word.proposed = answer.proposed;
    word.proposal = ProposalFateFromText(answer.proposal).value_or(ProposalFate::kNone);
    word.train = answer.train;
    word.size = answer.size;
    word.orientation = answer.orientation;
    word.seconds = answer.seconds;
    word.order = static_cast<int>(answer.order);
    return word;
}

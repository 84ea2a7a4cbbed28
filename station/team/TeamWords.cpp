#include "TeamWords.h"

TeamAnswer TeamWords::ToTeam(const VerifiedWord& word, int page, int place, const TeamStation& station)
{
    TeamAnswer answer;
    answer.page = page;
    answer.index = word.index;
    answer.place = place;
    answer.box = word.box;
    answer.text = word.text;
    answer.confidence = word.confidence;
    answer.outcome = word.outcome;
    answer.chosenFor = word.chosenFor;
    answer.reason = word.reason;
    answer.corrected = word.corrected;
    answer.changed = word.changed;
    answer.proposed = word.proposed;
    answer.proposal = word.proposal;
    answer.train = word.train;
    answer.size = word.size;
    answer.orientation = word.orientation;
    answer.seconds = word.seconds;
    answer.leastCharConfidence = word.leastCharConfidence;
    answer.secondDiffers = word.secondDiffers;
    answer.operatorName = station.operatorName;
    answer.computer = station.computer;
    answer.instance = station.instance;
    return answer;
}

VerifiedWord TeamWords::FromTeam(const TeamAnswer& answer)
{
    VerifiedWord word;
    word.index = answer.index;
    word.box = answer.box;
    word.text = answer.text;
    word.confidence = answer.confidence;
    word.outcome = answer.outcome;
    word.chosenFor = answer.chosenFor;
    word.reason = answer.reason;
    word.corrected = answer.corrected;
    word.changed = answer.changed;
    word.proposed = answer.proposed;
    word.proposal = answer.proposal;
    word.train = answer.train;
    word.size = answer.size;
    word.orientation = answer.orientation;
    word.seconds = answer.seconds;
    word.leastCharConfidence = answer.leastCharConfidence;
    word.secondDiffers = answer.secondDiffers;
    word.order = static_cast<int>(answer.order);
    return word;
}

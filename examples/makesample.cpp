// Writes the sample quiz book that ships with the program, through the same working state and
// save routine that the editor uses, so the file is exactly what the program itself writes.
// Usage: quiz-makesample [path]; without a path it rewrites examples/general-knowledge.Q.
#include "storage/modquiz.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

struct Sample
{
    const char16_t *question;
    const char16_t *answers[4];
    int correct;
};

// Answers in button order A to D; correct is the number of the right one.
constexpr Sample samples[] = {
    {u"What is the capital of Australia?", {u"Sydney", u"Melbourne", u"Canberra", u"Perth"}, 3},
    {u"Which planet is closest to the Sun?", {u"Mercury", u"Venus", u"Earth", u"Mars"}, 1},
    {u"How many sides does a hexagon have?", {u"Five", u"Seven", u"Eight", u"Six"}, 4},
    {u"What is the chemical symbol for gold?", {u"Ag", u"Au", u"Gd", u"Go"}, 2},
    {u"Which is the largest ocean on Earth?", {u"Atlantic", u"Indian", u"Arctic", u"Pacific"}, 4},
    {u"At sea level, water boils at how many degrees Celsius?", {u"90", u"100", u"110", u"120"}, 2},
    {u"Which gas do plants take in from the air to make their food?",
     {u"Carbon dioxide", u"Oxygen", u"Nitrogen", u"Hydrogen"},
     1},
    {u"How many continents are there?", {u"Five", u"Six", u"Seven", u"Eight"}, 3},
    {u"What is the longest river in South America?",
     {u"Orinoco", u"Paran\u00E1", u"Amazon", u"Magdalena"},
     3},
    {u"How many bones are there in the adult human body?", {u"186", u"206", u"226", u"256"}, 2},
    {u"Which element has the atomic number 1?", {u"Hydrogen", u"Helium", u"Lithium", u"Oxygen"}, 1},
    {u"What is the hardest natural substance?", {u"Quartz", u"Topaz", u"Diamond", u"Corundum"}, 3},
    {u"How many minutes are there in a day?", {u"1,440", u"1,240", u"1,400", u"2,400"}, 1},
    {u"Which language has the most native speakers?",
     {u"English", u"Spanish", u"Hindi", u"Mandarin Chinese"},
     4},
    {u"What is the smallest prime number?", {u"0", u"1", u"2", u"3"}, 3},
    {u"In which year did people first walk on the Moon?", {u"1965", u"1969", u"1972", u"1975"}, 2},
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();

    auto &st = modquiz::state();
    st.qbpath = arguments.size() > 1 ? arguments.at(1) : QStringLiteral(QUIZ_SAMPLE_BOOK);
    st.qbheader.category = QStringLiteral("General knowledge");
    st.qbheader.author = QStringLiteral("Quiz team");
    st.qbheader.magic = QString::fromLatin1(qbook::magicmark);

    const int count = static_cast<int>(std::size(samples));
    modquiz::resizequestions(count);
    for (int k = 1; k <= count; ++k) {
        const Sample &sample = samples[k - 1];
        QuestionRecord &record = st.questions[k];
        record.question = QString::fromUtf16(sample.question);
        for (int i = 0; i < 4; ++i)
            record.answers[i] = QString::fromUtf16(sample.answers[i]);
        record.correct = static_cast<quint8>(sample.correct);
    }
    st.curq = 1;

    if (!modquiz::savebook()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(st.qbpath));
        return 1;
    }
    std::printf("%s: %d questions\n", qPrintable(st.qbpath), count);
    return 0;
}

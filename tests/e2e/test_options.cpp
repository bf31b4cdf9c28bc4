#include "run_program.h"

#include <gtest/gtest.h>

static const std::string SOLVED9 = "123456789456789123789123456234567891567891234"
                                   "891234567345678912678912345912345678";

static std::string usage(const std::string &name)
{
    return "Usage: " + name +
           " [-n] [-s|-m diff_lvl] [-v verbose_lvl]\n"
           "\t-n\t\tAfficher la grille avec les d\351corations\n"
           "\t-s\t\tR\351soudre (Par defaut)\n"
           "\t-m diff_lvl\tCr\351er une grille de difficult\351e diff_lvl {1,..,5}\n\n"
           "\t-v verbose_lvl\tNiveau de Verbose: {1,2,3,4}\n";
}

static std::string plain9()
{
    std::string text;
    for (int y = 0; y < 9; y++)
        text += SOLVED9.substr(y * 9, 9) + "\n";
    return text;
}

TEST(Options, HelpPrintsOnlyTheUsageAndReadsNothing)
{
    for (int sq : {3, 4, 5}) {
        run_result r = run_program(program(sq), {"-h"}, "not a grid at all");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, usage(program(sq)));
        EXPECT_EQ(r.status, 1);
    }
}

TEST(Options, UnknownOptionsAreNamedOnStandardOutputEachInTurn)
{
    run_result r = run_program(program(3), {"-x", "-n", "-Yq"}, SOLVED9);
    EXPECT_EQ(r.out, "Option inconnue:  x\nOption inconnue:  Y\nOption inconnue:  q\n");
    EXPECT_EQ(r.err, usage(program(3)));
    EXPECT_EQ(r.status, 1);
}

TEST(Options, OptionValueMissingAtTheEndIsAnUnknownOption)
{
    for (const char *option : {"-v", "-m"}) {
        run_result r = run_program(program(4), {"-n", option}, "");
        EXPECT_EQ(r.out, std::string("Option inconnue:  ") + option[1] + "\n");
        EXPECT_EQ(r.err, usage(program(4)));
        EXPECT_EQ(r.status, 1);
    }
}

TEST(Options, RefusedValuesAndCombinationsEndWithTheUsage)
{
    const std::vector<std::vector<std::string>> refused = {
        {"-s", "-m", "3"},
        {"-m", "3", "-s"},
        {"-m", "0"},
        {"-m", "6"},
        {"-v", "0"},
        {"-v", "5"},
        {"-m", "abc"},
        {"-v", ""},
        {"-m", "4294967297"}, /* 1 once narrowed to 32 bits: the range test comes first */
        {"-v", "-4294967295"},
        {"-m", "99999999999999999999999999"},
        {"-v", "-99999999999999999999999999"},
        {"-n", "-h", "-v", "2"},
    };
    for (const auto &args : refused) {
        run_result r = run_program(program(3), args, SOLVED9);
        EXPECT_EQ(r.out, "") << args[0] << " " << args[1];
        EXPECT_EQ(r.err, usage(program(3))) << args[0] << " " << args[1];
        EXPECT_EQ(r.status, 1) << args[0] << " " << args[1];
    }
}

TEST(Options, AcceptedRepeatsAndLooseValuesRunNormally)
{
    const std::vector<std::vector<std::string>> accepted = {
        {"-s", "-s"},  {"-m", "2", "-m", "4"},  {"-m3x"},
        {"-v", " +1"}, {"-s", "--", "-m", "1"}, {"grid.txt", "-s"},
    };
    for (const auto &args : accepted) {
        run_result r = run_program(program(3), args, SOLVED9);
        EXPECT_EQ(r.err, "") << args[0];
        EXPECT_EQ(r.status, 0) << args[0];
    }
}

TEST(Options, LastVerboseLevelIsInForce)
{
    std::string grid = SOLVED9;
    grid[0] = '0';
    run_result r = run_program(program(3), {"-v", "4", "-v", "1"}, grid);
    EXPECT_EQ(r.out, "Etat: 1/81, Tests: 0, Fork 0\n" + plain9());
    EXPECT_EQ(r.status, 0);
}

TEST(Options, WordsThatAreNotOptionsAreIgnored)
{
    run_result r = run_program(program(3), {"puzzle.txt", "-n", "other"}, SOLVED9);
    EXPECT_EQ(r.out.substr(0, 29), "+--+--+--+--+--+--+--+--+--+\n");
    EXPECT_EQ(r.status, 0);
}

TEST(Options, ManyOptionsAndLongWordsAreHandled)
{
    std::vector<std::string> args(500, "-s");
    args.push_back(std::string(100000, 'w'));
    args.push_back("-n");
    run_result r = run_program(program(3), args, SOLVED9);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    args.assign(300, "-z");
    r = run_program(program(3), args, SOLVED9);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.size(), 300 * std::string("Option inconnue:  z\n").size());
}

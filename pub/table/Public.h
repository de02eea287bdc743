#pragma once
// The card table shared by both programs: the deck, the four seats, the
// table's layout and widgets, and the move primitives and rule queries the
// game flows are built on. The table keeps no state of its own besides the
// cards: every query walks the deck in deck order and reads where each card
// lies and whose it is.
//
// The programs read and write the members directly. Moves never check
// legality; the programs ask the queries first.

#include "MyImage.h"
#include "MyLabel.h"
#include "Pack.h"
#include "Player.h"
#include "VictoryTable.h"

#include <QBrush>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>

#include <cstdint>
#include <memory>

class CWnd;
class QPainter;

// Results of CPublic::IsEndParty.
enum PartyBits : int {
    e_PartyGoesOn = 0x02,
    e_PartyOver = 0x04,
    e_PartyUserOut = 0x08,
    e_PartyWinnerSeat1 = 0x10, // shifted left by the winner's seat index
};

// Results of CPublic::StateGame.
enum StateBits : int {
    e_StateNoParty = 0x02, // the pack is full: nothing dealt
    e_StatePartyRuns = 0x04,
    e_StateGameOver = 0x08,
    e_StateUserOut = 0x10,
    e_StatePartyOver = 0x20,
};

// The action button's captions, compared by the flows.
namespace ButtonText {
inline const QString Further = QStringLiteral("Далее");
inline const QString Deal = QStringLiteral("Сдать карты!");
inline const QString NewParty = QStringLiteral("Новая партия!");
} // namespace ButtonText

class CPublic {
public:
    static constexpr int kMaxPlayers = 4;

    explicit CPublic(CWnd* parent = nullptr);
    // Saves the names, when they were read, before anything goes away.
    ~CPublic();
    CPublic(const CPublic&) = delete;
    CPublic& operator=(const CPublic&) = delete;

    // Held by every move and placement of cards, and by a worker around any
    // other change of the deck (shuffling, gathering the cards). While a
    // thread other than the window's holds one, a resize leaves the cards to
    // that thread, whose outermost scope lays them all out afresh at its end.
    class MoveScope {
    public:
        explicit MoveScope(CPublic& table);
        ~MoveScope();
        MoveScope(const MoveScope&) = delete;
        MoveScope& operator=(const MoveScope&) = delete;

    private:
        CPublic& m_Table;
    };

    // Binds the table to its window: creates the victory table, the seats'
    // boards, the labels' fonts and colours, and reads the names. Once.
    void SetParent(CWnd* parent);

    // Names: "UserName" and "OtherNamesPlayers" under "Software\\Tavlin2.0\\Public".
    void ReadSettingFromReg();
    void WriteSettingToReg();
    // names needs room for 11: the current name, then the remembered ones.
    void InitNameDlg(QString* names);
    // names[0] becomes the local player's name and heads the remembered ones.
    void SetUserName(QString* names);

    // Layout. Rectangles are kept as Qt keeps them: x + width is the right edge.
    void OnSize(int cx, int cy);
    void SetCoordinateCardsPlayers(const int& cx, const int& cy);
    void CorrectLocationPack(const int& x, const int& y);
    void CorrectLocationCardsUser();
    void CorrectLocationCardsPlayer(const int& player);
    void CorrectLocationCardsTable();
    void CorrectLocationCardsTake();
    // Deals the hands up to three cards each, animated; blocks its caller.
    void DoDistrCards(int fromCard, int firstPlayer, const int& players);
    // 0 none, 1 and 2 shaped, 3..6 textures, 7 the user's picture.
    void SetTable(const int& number);
    // 0..6; another number keeps the brush.
    void SetBG(const char& number);
    int GetNumberTable();
    int GetNumberBG();
    // The region stored as "BINARY" resource id; empty when there is none.
    void CreateCustomRgn(QRegion* rgn, unsigned int id);

    // Painting, called by the table window's erase and paint handlers.
    void DrawBackGround(QPainter* dc);
    void OnPaint(QPainter* dc);
    void DrawMastIcon(QPainter* dc, QPoint at);
    // Highlights the holder of the top of the table and player (0: nobody).
    void FlashPlayer(const int& player);
    void ShowActiveButton(const QString& text, bool show);
    // A choice of the appearance page: control 1050 backs, 1051 tables,
    // 1052 backgrounds (value: list index), 1079 picture (value: address of
    // a const QString, its path). A picture that opens but cannot be shown
    // is reported in a message box and keeps the table. Others beep.
    void ProgView(unsigned int control, LPARAM value);

    // Returns 1 for "ОК", 2 for "Отмена" or a closed box.
    int MyMessageBox(const QString& text, const QString& caption, int flags, UINT iconId,
                     UINT captionIconId);

    int GetMastKozir();

    // Moves. Each animates its card to its end before returning.
    bool MoveCard_GO(const int& player, CCard* card, bool open);
    bool BitaCard(CCard* card, CCard* beaten);
    bool ResetCard(CCard* card);
    bool MoveCard(CCard* card, const int& x, const int& y, bool open);
    bool MoveTakeCard(const int& player, CCard* card);
    // Returns the points of the cards taken; adding them up is the caller's.
    int DoTakeCards(const int& player);
    void FixCardsTable();

    // Rule queries.
    bool CompareCards(const CCard* a, const CCard* b);
    bool IsCanBita(const int& player);
    // out needs room for 3 cards; nothing marks the end.
    void SortCardsTable(CCard** out, const int& player);
    bool IsMastOnTable(const int& mast);
    int GetNumberCardsOnTable();
    int GetNumberCardsPlayerOnTable(const int& player);
    int GetNumberCardsGoing();
    int GetNumberCardsReset();
    int GetNumberCardsPlayer(const int& player);
    int GetNumberKozirPlayer(const int& player);
    int GetNumberCardsEqualMast(const int& player, int* mast);
    int GetIndexXGoingCards(const int& player);
    int GetIndexYGoingCards();
    bool IsCardsTableReset(const int& player);
    bool IsCardsGoingTablePlayer(const int& player);
    bool CheckCompletionPlayer(const int& player);
    bool CheckCircleCompletion();
    void NextPlayer(int* player, int* count);

    // Scoring, game end and party end.
    int GetMaxScores();
    int GetMinBalls();
    // The scores decide who collects balls; the winner passed in is not needed.
    void AddBalls(const int& winner);
    void DecrementStars(const int& winner);
    void ResetStars(const int& number);
    bool IsZanta(int* player);
    // The winner of the current game, or -1 while it goes on.
    int IsEndGame();
    // A game whose cards have all been taken is over even when IsEndGame names
    // nobody (party to 31 points, nobody above 30): then the highest score
    // wins, ties going to the first in turn order from m_CurrentPlayer.
    // Otherwise IsEndGame's winner; -1 while cards remain outside the trick
    // piles. The flows ask it when IsEndGame gives -1.
    int GetWinnerAllCardsTaken();
    // Who takes the table: the holder of the face-up card with the highest
    // value (values from 18 down, within a value the first in deck order);
    // 0 when nothing lies face up.
    int GetTrickTaker();
    void DoOutPlayers();
    int IsEndParty();
    bool IsValidGame();
    int StateGame();

    CPack m_Pack;
    int m_ResetX;
    int m_ResetY[9];
    int m_GoingX[3];
    int m_GoingY[4];
    int m_HandX[kMaxPlayers][3];
    int m_HandY[kMaxPlayers];
    QPoint m_TakePos[kMaxPlayers];
    int m_NumberPlayers;
    QRect m_ButtonRect;
    QRect m_TableRect;
    CMyLabel m_LabelMessage;
    int m_CurrentPlayer;
    QString m_ButtonText;
    CWnd* m_pParent;
    bool m_ShowButton;
    bool m_CompletionPlayer;
    CVictoryTable m_VictoryTable;
    std::uint8_t m_NumberBG;
    std::uint8_t m_NumberTable;
    QRegion m_TableRgn;
    int m_KozirIconX;
    int m_KozirIconY;
    bool m_Game31;
    CPlayer m_Players[kMaxPlayers];
    bool m_ClosedCardReset;
    bool m_AutomaticGame;
    int m_NumberGame;
    bool m_CircleCompletion;
    bool m_MoveBlocked;
    CMyImage m_TableImage;
    CMyLabel m_LabelAnnounce;
    bool m_ShowTabloVictory;
    CMyLabel m_LabelResult;
    QString m_TableImageFile;
    QBrush m_BrushBG;
    QBrush m_BrushTable;
    bool m_Sound;
    char m_OtherNames[11][12];

private:
    struct TableArt;
    struct Layout;

    Layout CopyLayout();
    // Card placement from a copy of the layout.
    void PlaceUser(const Layout& at);
    void PlacePlayer(const Layout& at, int player);
    void PlaceTable(const Layout& at);
    void PlaceTake(const Layout& at);
    void PlaceAllCards(const Layout& at);
    void PlaceWidgets(int cx, int cy);
    QPoint TableCentre() const;
    void RenderBackGround(QPainter* dc, const QRect& client);
    // The trump whose icon is drawn; 0 for none.
    int ShownKozir();

    // Seats taking part: m_NumberPlayers kept within the four seats.
    int SeatsInGame() const;
    int NumberOut() const;
    // Targets a player may beat: uncovered face-up cards of the others,
    // strongest first (ties in deck order), at most 3.
    int CollectTargets(CCard** out, const int& player);
    bool AllCardsTaken();
    int Score(const int& player);

    // Caches, locks and the window binding of layout and painting.
    std::unique_ptr<TableArt> m_Art;
};

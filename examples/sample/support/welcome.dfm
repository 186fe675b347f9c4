object Welcome: TForm
  Left = 0
  Top = 0
  BorderStyle = bsDialog
  Caption = '$TITLE$ Setup'
  ClientHeight = 313
  ClientWidth = 489
  Color = clWhite
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'Tahoma'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object Heading: TLabel
    Left = 24
    Top = 20
    Width = 441
    Height = 19
    AutoSize = False
    Caption = 'Welcome to the $TITLE$ Setup'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object Body: TLabel
    Left = 24
    Top = 60
    Width = 441
    Height = 60
    AutoSize = False
    Caption = 'This wizard installs $TITLE$ on your computer. Click Next to continue, or Cancel to leave the setup without changes.'
    WordWrap = True
  end
  object Bevel1: TBevel
    Left = 0
    Top = 264
    Width = 489
    Height = 2
    Shape = bsTopLine
  end
  object NextButton: TButton
    Left = 300
    Top = 276
    Width = 80
    Height = 25
    Caption = '&Next >'
    Tag = 1
    TabOrder = 0
    Default = True
  end
  object CancelButton: TButton
    Left = 392
    Top = 276
    Width = 80
    Height = 25
    Caption = 'Cancel'
    Tag = 3
    TabOrder = 1
  end
end
